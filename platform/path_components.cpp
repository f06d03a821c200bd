#include "platform/path_mapping.h"
#include "platform/text_codec.h"

namespace setup {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

/// The non-empty components of `path`, split at either separator.
std::vector<std::wstring_view> pathComponents(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool staysInsideBase(std::wstring_view relative) {
    // Joined as text, "base\" + "\x" is "base\\x": a leading separator names the base itself.
    while (!relative.empty() && isSeparator(relative.front())) relative.remove_prefix(1);
    if (relative.size() >= 2 && relative[1] == L':') {
        const wchar_t letter = relative[0];
        if ((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')) return false;
    }
    long depth = 0;
    for (std::wstring_view part : pathComponents(relative)) {
        if (part == L".") continue;
        if (part == L"..") {
            if (--depth < 0) return false;
        } else {
            ++depth;
        }
    }
    return true;
}

std::wstring sameFileKey(std::wstring_view name) {
    std::wstring key;
    for (std::wstring_view part : pathComponents(name)) {
        if (part == L".") continue;
        if (!key.empty()) key += L'\\';
        for (wchar_t c : part) key += foldCase(c);
    }
    return key;
}

}  // namespace setup
