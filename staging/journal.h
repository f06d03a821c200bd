#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

/// The key of a product's section that the stamps write, and the only one a journal may name.
inline constexpr const wchar_t* kVersionKey = L"Version";
/// The most bytes a journal may hold. A run writes one line for each file and folder it touches: a list
/// of 32,767 file entries (the most the copy counts) with names of 260 characters writes about 26 MB,
/// so a larger journal was written by no run.
inline constexpr std::size_t kJournalLimit = std::size_t{32} << 20;

/// One file of the installation an update writes, as its journal names it. Its staged copy is
/// `relative` + kStagedSuffix and, when it replaces a file, the installed file is moved aside to
/// `relative` + kAsideSuffix.
struct JournalFile {
    std::wstring relative;  ///< below the installation, "/" between components
    bool replacing = false;
    bool operator==(const JournalFile&) const = default;
};

/// A registry value an update stamps, with the value it had before (nullopt: the key was absent).
struct JournalValue {
    std::wstring section;
    std::wstring key;
    std::optional<std::wstring> before;
    bool operator==(const JournalValue&) const = default;
};

/// Everything one run touches, written before its first byte is staged.
struct Journal {
    std::wstring runId;
    std::uint64_t process = 0;  ///< the process of the run, whose temporary registry file is named after it
    std::vector<std::wstring> folders;  ///< folders the run creates below the installation, parents first
    std::vector<JournalFile> files;
    std::vector<JournalValue> values;
    bool operator==(const Journal&) const = default;
};

/// The journal as UTF-8 lines ending with a line feed: a heading, "run\t<id>", "process\t<number>", then
/// "folder\t<path>", "new\t<path>\t<staged>", "replace\t<path>\t<staged>\t<aside>",
/// "value\t<section>\t<key>\t<before>" or "novalue\t<section>\t<key>" lines, and "end". The
/// installation's trust file, which the commit writes with the files, is one of the files.
std::string formatJournal(const Journal& journal);

/// How a journal's text reads.
enum class JournalText {
    Whole,     ///< a whole journal whose every line passed its checks
    CutShort,  ///< the heading, then no "end": written by a run stopped before staging started
    Rejected,  ///< anything else: not the program's journal, or a line that fails a check
};

/// A journal's text read back, with every path checked as text: relative, no "." or ".." component, no
/// drive, each staged and moved-aside name exactly the one the program gives it.
struct ParsedJournal {
    JournalText state = JournalText::Rejected;
    Journal journal;      ///< when Whole
    std::wstring reason;  ///< when Rejected: the first line that failed, for the person who looks at it
};

ParsedJournal parseJournal(const std::string& text);

/// True for a relative path the journal may hold: components separated by "/", none empty, "." or "..",
/// no drive, no "\", no control character.
bool isJournalPath(const std::wstring& path);

}  // namespace setup
