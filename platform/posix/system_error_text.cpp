#include "platform/system_error_text.h"

#include <cstring>

namespace setup {

std::string systemErrorText(unsigned long error) { return std::strerror(static_cast<int>(error)); }

}  // namespace setup
