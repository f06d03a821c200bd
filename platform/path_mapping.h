#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace setup {

/// Maps a program path ("\" or "/" separators, repeated separators collapsed) to a file-system path.
/// Each component that exists is looked up exactly first, then without regard to letter case in its
/// directory (the first match in byte order wins); components that do not exist keep their spelling.
std::filesystem::path mapPath(std::wstring_view path);

/// True when `relative`, joined to a base directory, names something inside that base: not absolute,
/// no drive letter, and no ".." that climbs above the base.
bool staysInsideBase(std::wstring_view relative);

/// The home of bare profile file names: $WINDIR when set and not empty, else
/// ${XDG_CONFIG_HOME:-$HOME/.config}.
std::filesystem::path windowsDirectory();

}  // namespace setup
