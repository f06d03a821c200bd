#pragma once

#include <filesystem>
#include <string>

namespace setup {

/// The whole content of a regular file; throws Failure when it is missing, a directory or unreadable.
std::string readWholeFile(const std::filesystem::path& path);

/// Replaces `path` with `bytes` through a temporary file in the same directory and a rename, so the old
/// content stays whole until the new one is complete. Missing parent directories are created. The mode
/// of an existing file is kept. Throws Failure.
void replaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

}  // namespace setup
