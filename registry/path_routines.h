#pragma once

#include <string>

namespace setup {

class Runtime;

/// `text` up to, not including, its first NUL; the whole text when it holds none.
std::wstring TrimAtNul(std::wstring text);

/// Appends "\" to `path` unless it already ends with one; answers the updated path.
std::wstring WithTrailingBackslash(std::wstring& path);

/// True when `path` names a file that can be opened for reading; never throws.
bool FileExists(Runtime& runtime, const std::wstring& path);

}  // namespace setup
