#pragma once

#include <string_view>

namespace setup {

/// Writes `text` (whole lines, ends included) to standard output in one write: UTF-8 into a file or a
/// pipe, the characters themselves on a Windows console. Never throws; a stream that is closed or absent
/// takes nothing.
void writeStandardOutput(std::wstring_view text);

/// The same for standard error.
void writeStandardError(std::wstring_view text);

}  // namespace setup
