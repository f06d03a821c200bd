#include "platform/win32/system_path.h"

#include <windows.h>

#include <string_view>

#include "platform/failure.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

bool startsWith(const std::wstring& text, std::wstring_view start) {
    return text.compare(0, start.size(), start) == 0;
}

[[noreturn]] void fail(const std::string& what, const std::wstring& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

}  // namespace

std::wstring systemPath(const std::wstring& path) {
    if (path.empty() || startsWith(path, L"\\\\?\\") || startsWith(path, L"\\\\.\\")) return path;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) fail("impossible de r\u00E9soudre", path, ::GetLastError());
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    // A reserved name ("NUL", "CON", "COM1"...) stands for a device, never a file: writing there would
    // look like a successful copy while nothing is kept.
    if (startsWith(full, L"\\\\.\\"))
        fail("d\u00E9signe un p\u00E9riph\u00E9rique :", path, ERROR_BAD_PATHNAME);
    if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring finalPathOf(void* handle) {
    std::wstring buffer(1024, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    if (length == 0 || length >= buffer.size()) return L"";
    buffer.resize(length);
    return buffer;
}

}  // namespace setup
