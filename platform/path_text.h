#pragma once

#include <string>

namespace setup {

/// `text` up to, not including, its first NUL; the whole text when it holds none.
std::wstring TrimAtNul(std::wstring text);

/// Appends "\" to `path` unless it already ends with one; answers the updated path.
std::wstring WithTrailingBackslash(std::wstring& path);

/// `root` and `relative` joined into a program path.
std::wstring joinPath(const std::wstring& root, const std::wstring& relative);

/// True when `text` ends with `suffix` and holds more than it.
bool endsWith(const std::wstring& text, const std::wstring& suffix);
/// `path` without separators at its end (the root "/" kept).
std::wstring withoutTrailingSeparators(std::wstring path);
/// The last component of `path`.
std::wstring lastComponent(const std::wstring& path);
/// `path` without its last component; empty for a single component.
std::wstring parentRelative(const std::wstring& relative);
/// Two relative paths joined with "/"; either may be empty.
std::wstring joinRelative(const std::wstring& folder, const std::wstring& name);
/// A relative path in folded letters, "/" between components: one key for every spelling of a name.
std::wstring foldedPath(const std::wstring& relative);
/// One component in folded letters.
std::wstring foldedName(const std::wstring& name);
/// True when `path` is `base` or lies below it, component by component (a sibling that merely starts
/// with the same letters is not inside).
bool isSameOrInside(const std::wstring& path, const std::wstring& base);

}  // namespace setup
