#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/system_path.h"

namespace setup {

/// Reads a profile value like GetPrivateProfileStringA with a null default. `fileName` is Windows-1252;
/// a bare name lives in the Windows directory. Copies at most `size` - 1 bytes of the value into
/// `buffer`, closes it with a NUL and answers the number of bytes copied; a missing file, section or key
/// gives 0 and an empty buffer. Never throws.
std::size_t getPrivateProfileString(std::string_view section, std::string_view key, char* buffer,
                                    std::size_t size, std::string_view fileName);

/// True when something exists where the profile services find `fileName` (a bare name in the Windows
/// directory; names looked up exactly first, then without regard to letter case). Never throws.
bool profileFileExists(std::string_view fileName);

/// Where the profile file `fileName` lives, by the same rule as every read and write; nullopt for a name
/// no file can have. Never throws.
std::optional<SystemPath> profileFilePath(std::string_view fileName);

/// Stores a profile value like WritePrivateProfileStringA: creates the file, the section or the key
/// when missing and replaces the file atomically. Answers false on failure. Never throws.
bool writePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName);

}  // namespace setup
