#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace setup {

/// The whole content of a regular file; throws Failure when it is missing, a directory or unreadable.
std::string readWholeFile(const std::filesystem::path& path);

/// The content of a regular file; nullopt when nothing exists at `path`; throws Failure when something
/// exists there but cannot be read, so that a caller never mistakes an unreadable file for a missing one.
std::optional<std::string> readFileIfPresent(const std::filesystem::path& path);

/// Replaces `path` with `bytes` through a temporary file in the same directory and a rename, so the old
/// content stays whole until the new one is complete. Missing parent directories are created. The mode
/// of an existing file is kept. Throws Failure.
void replaceFileAtomically(const std::filesystem::path& path, const std::string& bytes);

/// Copies the regular file `source` to `destination` the same way: the old destination stays whole until the
/// copy is complete, missing parent directories are created, and the copy gets the source's permission
/// bits. Throws Failure.
void copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& destination);

/// Removes the file at `path`; an absent file or a directory is a failure. A symbolic link is removed,
/// never its target. Throws Failure.
void removeFile(const std::filesystem::path& path);

}  // namespace setup
