#pragma once

#include <string>

namespace setup {

/// A path as Windows' wide file services take it: the program's own UTF-16 text, handed to the system
/// calls as it is, with no conversion (and none of the standard library's locale code) on the way.
using SystemPath = std::wstring;

}  // namespace setup
