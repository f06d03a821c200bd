#include "registry/path_routines.h"

#include <exception>

#include "platform/runtime.h"

namespace setup {

std::wstring TrimAtNul(std::wstring text) {
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.erase(nul);
    return text;
}

std::wstring WithTrailingBackslash(std::wstring& path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

bool FileExists(Runtime& runtime, const std::wstring& path) {
    try {
        const FileNumber number = runtime.freeFileNumber();
        runtime.openForInput(number, path);
        runtime.close(number);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
