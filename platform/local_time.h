#pragma once

#include <string>

namespace setup {

/// The local time now, to the millisecond, as "2026-12-07 21:03:05.123".
std::wstring localTimeStamp();

}  // namespace setup
