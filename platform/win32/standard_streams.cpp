#include "platform/standard_streams.h"

#include <windows.h>

#include <string>

#include "platform/text_codec.h"

namespace setup {

namespace {

/// The handle of a standard stream. The program has no console of its own (it is a windowed program):
/// started from a command prompt without redirection, it writes to the console of that prompt.
HANDLE standardHandle(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        static const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS) != 0;
        if (attached) handle = ::GetStdHandle(which);
    }
    return handle;
}

void writeTo(DWORD which, std::wstring_view text) {
    const HANDLE handle = standardHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::string bytes = toUtf8(text);
    // A file or a pipe gets the line ends of the system's text files.
    std::string lines;
    for (char c : bytes) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    ::WriteFile(handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

}  // namespace

void writeStandardOutput(std::wstring_view text) { writeTo(STD_OUTPUT_HANDLE, text); }

void writeStandardError(std::wstring_view text) { writeTo(STD_ERROR_HANDLE, text); }

}  // namespace setup
