#pragma once

#include <windows.h>

#include <string>

#include "platform/failure.h"

namespace setup {

/// A text a system call fills in, grown until it fits: `call(buffer, size)` answers the length it wrote,
/// or the size it needs when the buffer is too small, or 0 on failure.
template <typename Call>
std::wstring systemText(const char* what, Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length == 0)
            throw Failure(std::string("impossible de trouver ") + what + " : erreur Windows " +
                          std::to_string(::GetLastError()));
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(text.size() * 2);
    }
}

}  // namespace setup
