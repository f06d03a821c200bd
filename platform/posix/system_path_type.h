#pragma once

#include <filesystem>

namespace setup {

/// A path as Linux's file services take it: the bytes of its names, spelled in UTF-8 by the path mapping.
using SystemPath = std::filesystem::path;

}  // namespace setup
