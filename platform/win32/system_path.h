#pragma once

#include <string>

namespace setup {

/// The path as the wide file services take it: made absolute and normalised by the system, then written
/// in its extended form ("\\?\C:\...", "\\?\UNC\server\share\..."), which lifts the 260-character limit
/// whatever the system's long-path setting. Throws Failure when the system cannot resolve it or when it
/// names a device ("NUL", "CON"...).
std::wstring systemPath(const std::wstring& path);

/// The final path of the open file or folder `handle` (a HANDLE), every link and junction on the way
/// resolved, in the system's extended form; empty when the system cannot tell.
std::wstring finalPathOf(void* handle);

}  // namespace setup
