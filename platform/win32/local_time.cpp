#include "platform/local_time.h"

#include <windows.h>

#include <cstdio>

namespace setup {

std::wstring localTimeStamp() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", local.wYear, local.wMonth, local.wDay,
                  local.wHour, local.wMinute, local.wSecond, local.wMilliseconds);
    return text;
}

}  // namespace setup
