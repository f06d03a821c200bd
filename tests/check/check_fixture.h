#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "check/list_analysis.h"
#include "tests/support/temp_dir.h"

namespace setup::test {

/// An update folder for the checker: the list, the program beside it unless told otherwise, and files.
struct UpdateFolderLayout {
    std::string list;
    std::vector<std::string> files;
    bool program = true;
};

/// Lays `layout` out in `folder`.
inline void layOut(const std::filesystem::path& folder, const UpdateFolderLayout& layout) {
    std::filesystem::create_directories(folder);
    if (!layout.list.empty()) writeFile(folder / "setup.lst", layout.list);
    if (layout.program) writeFile(folder / "setup", "program");
    for (const std::string& file : layout.files) writeFile(folder / file, "content of " + file);
}

/// A run of the program and what its passes acted on, in order: "alert TEXT", "version SECTION LOWER
/// UPPER", "exist PATH", "copy NAME", "stamp SECTION VERSION", "delete NAME".
struct ProgramRun {
    int exitStatus = -1;
    std::vector<std::wstring> acted;
};

/// Runs the program on the update folder `folder` against an installation of Kelvane laid out under
/// `scratch`, with directives that refuse nothing and copies and deletions recorded instead of made.
ProgramRun runProgram(const std::filesystem::path& folder, const std::filesystem::path& scratch);

/// What the checker says the passes act on, in the same order and form as ProgramRun::acted.
std::vector<std::wstring> checkerActs(const check::ListAnalysis& analysis);

}  // namespace setup::test
