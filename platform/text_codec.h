#pragma once

#include <string>
#include <string_view>

namespace setup {

/// Windows-1252 bytes to wide text; the five undefined bytes become U+FFFD.
std::wstring fromAnsi(std::string_view bytes);
/// Wide text to Windows-1252 bytes; a character the code page lacks becomes "?".
std::string toAnsi(std::wstring_view text);
/// Wide text to UTF-8, for file-system names.
std::string toUtf8(std::wstring_view text);
/// UTF-8 to wide text; invalid sequences become U+FFFD.
std::wstring fromUtf8(std::string_view bytes);
/// Letter case folded the way names compare on Windows (ASCII and the Latin letters of Windows-1252).
wchar_t foldCase(wchar_t c);
/// True when two texts are equal without regard to letter case.
bool equalIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace setup
