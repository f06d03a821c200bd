#pragma once

#include <array>
#include <string>
#include <vector>

namespace setup::check {

/// Names under which the program lies beside its list.
inline constexpr std::array<const wchar_t*, 2> kProgramNames = {L"setup", L"setup.exe"};

/// Where the copy would find the file of a copy entry.
enum class ShippedFile {
    Present,  ///< a regular file inside the update folder
    Outside,  ///< the name, or a symbolic link on its way, leads out of the update folder
    Missing,  ///< nothing, or no regular file, under that name
};

/// What the copy would find for `name` (a copy entry's file name) in `folder`, looked up as the program
/// looks names up.
ShippedFile shippedFileState(const std::wstring& folder, const std::wstring& name);

/// Every file below `folder` (symbolic links included, folders not), relative to it with "\" separators.
std::vector<std::wstring> filesInFolder(const std::wstring& folder);

/// True when the program (setup or setup.exe) lies in `folder`.
bool hasProgram(const std::wstring& folder);

}  // namespace setup::check
