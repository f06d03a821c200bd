#pragma once

#include <optional>
#include <vector>

#include "platform/file_digest.h"
#include "platform/system_path.h"

namespace setup {

/// The SHA-256 of each file of `paths`, in the same order; nullopt for a file that cannot be read to its
/// end. Two files are read at a time, so that hashing keeps pace with the disk.
std::vector<std::optional<Sha256Digest>> digestFiles(const std::vector<SystemPath>& paths);

}  // namespace setup
