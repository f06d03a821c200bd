#pragma once

#include <filesystem>
#include <string>

namespace setup::test {

/// What a replacement must keep of a file besides its bytes, as a text to compare: its mode and owner on
/// Linux, the attributes a user sets (read-only, hidden, system) on Windows.
std::string fileMetadata(const std::filesystem::path& path);

}  // namespace setup::test
