#pragma once

#include <filesystem>

namespace setup {

/// True when `path` names an existing folder, or a link to one; never throws.
bool isExistingFolder(const std::filesystem::path& path);

/// Opens the regular file at `path` for reading and closes it again without reading any of it, so that
/// answering whether a file is there costs the same whatever its size. Throws Failure when it cannot be
/// opened for reading or is not a regular file (a folder, a FIFO, a device).
void openAndClose(const std::filesystem::path& path);

}  // namespace setup
