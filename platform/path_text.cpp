#include "platform/path_text.h"

#include <algorithm>

#include "platform/path_mapping.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

/// `path` with "/" between components and none at its end.
std::wstring normalised(const std::wstring& path) {
    std::wstring text = withoutTrailingSeparators(path);
    std::replace(text.begin(), text.end(), L'\\', L'/');
    return text;
}

}  // namespace

std::wstring TrimAtNul(std::wstring text) {
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.erase(nul);
    return text;
}

std::wstring WithTrailingBackslash(std::wstring& path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring joinPath(const std::wstring& root, const std::wstring& relative) {
    if (relative.empty()) return root;
    if (!root.empty() && isSeparator(root.back())) return root + relative;
    return root + L"\\" + relative;
}

bool endsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() > suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring withoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && isSeparator(path.back())) path.pop_back();
    return path;
}

std::wstring lastComponent(const std::wstring& path) {
    const std::wstring trimmed = withoutTrailingSeparators(path);
    const auto last = trimmed.find_last_of(L"\\/");
    return last == std::wstring::npos ? trimmed : trimmed.substr(last + 1);
}

std::wstring parentRelative(const std::wstring& relative) {
    const auto last = relative.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : relative.substr(0, last);
}

std::wstring joinRelative(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    if (name.empty()) return folder;
    return folder + L"/" + name;
}

std::wstring foldedName(const std::wstring& name) {
    std::wstring folded = name;
    std::transform(folded.begin(), folded.end(), folded.begin(), foldCase);
    return folded;
}

std::wstring foldedPath(const std::wstring& relative) { return foldedName(normalised(relative)); }

bool isSameOrInside(const std::wstring& path, const std::wstring& base) {
    const std::wstring inner = normalised(path);
    const std::wstring outer = normalised(base);
    if (inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || outer == L"/" || inner[outer.size()] == L'/';
}

}  // namespace setup
