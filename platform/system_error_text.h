#pragma once

#include <string>

namespace setup {

/// The system's own text for the error number `error` (errno on Linux, GetLastError on Windows, where the
/// number follows the text), in UTF-8, for the reason a failure gives after its French account.
std::string systemErrorText(unsigned long error);

}  // namespace setup
