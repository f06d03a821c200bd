#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/system_path.h"

namespace setup {

/// True for "\" and "/", the two separators of a program path.
bool isSeparator(wchar_t c);

/// The non-empty components of `path`, split at either separator.
std::vector<std::wstring_view> pathComponents(std::wstring_view path);

/// The key under which two file names given as text are compared: "\" and "/" alike, "." components
/// dropped, letter case folded, so that two spellings the program copies to one file have one key.
std::wstring sameFileKey(std::wstring_view name);

/// True when `relative`, joined to a base directory as text, names something inside that base: no
/// drive letter and no ".." that climbs above the base. Leading separators name the base itself.
bool staysInsideBase(std::wstring_view relative);

/// Whether a link (or, on Windows, a reparse point) at the last component of a path is followed: a copy
/// reads through it, a deletion removes the link itself.
enum class LastLink { Followed, Kept };

/// True when `relative`, joined to the existing folder `base`, stays inside that folder on the file
/// system as well as in its text: staysInsideBase holds, and no link below `base` leads out of it (the
/// last component's own link only when `last` is Followed). Parts that do not exist yet count as
/// inside. False when `base` cannot be resolved; never throws.
bool resolvesInsideFolder(std::wstring_view base, std::wstring_view relative, LastLink last);

/// Maps a program path to a file-system path. On Linux ("\" or "/" separators, repeated separators
/// collapsed) each component that exists is looked up exactly first, then without regard to letter case
/// in its directory (the first match in byte order wins); components that do not exist keep their
/// spelling. On Windows the system does all of this itself and the path is handed over unchanged.
SystemPath mapPath(std::wstring_view path);

/// A file-system path as a program path (wide text), the way back from mapPath: UTF-8 names decoded on
/// Linux, the system's own wide names on Windows.
std::wstring programPath(const SystemPath& path);

/// The home of bare profile file names: the system's Windows directory; on Linux $WINDIR when set and
/// not empty, else ${XDG_CONFIG_HOME:-$HOME/.config}.
SystemPath windowsDirectory();

/// Directory of the running executable, without a trailing separator except at the root.
std::wstring executableDirectory();

}  // namespace setup
