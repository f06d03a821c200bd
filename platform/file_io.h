#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_path.h"

namespace setup {

/// The whole content of a regular file; throws Failure when it is missing, a directory or unreadable.
std::string readWholeFile(const SystemPath& path);

/// The content of a regular file; nullopt when nothing exists at `path`; throws Failure when something
/// exists there but cannot be read, so that a caller never mistakes an unreadable file for a missing one.
std::optional<std::string> readFileIfPresent(const SystemPath& path);

/// This process's number, as the system gives it.
std::uint64_t currentProcessId();

/// The name of the temporary file through which process `processId` replaces a file: always the same
/// for one process, so that what a stopped process left can be named afterwards.
std::wstring replacementTemporaryName(std::uint64_t processId);

/// Replaces `path` with `bytes` through a temporary file in the same directory and a rename, so the old
/// content stays whole until the new one is complete. Missing parent directories are created. The mode
/// of an existing file is kept. Throws Failure.
void replaceFileAtomically(const SystemPath& path, const std::string& bytes);

/// Creates the file `path` with `bytes`, readable and writable by its owner alone where the system has
/// modes (a private key); never replaces anything already at `path`. Throws Failure.
void writeNewPrivateFile(const SystemPath& path, const std::string& bytes);

/// True when anything, a symbolic link included, is at `path`. Never follows a link; never throws.
bool existsNoFollow(const SystemPath& path);

/// Removes the file at `path`; an absent file or a directory is a failure. A symbolic link is removed,
/// never its target. Throws Failure.
void removeFile(const SystemPath& path);

/// Removes the file at `path` as removeFile does, a read-only file too (Windows refuses to delete one
/// otherwise; on Linux the mode never stops a removal). Throws Failure; a file that stays keeps its
/// attributes.
void removeFileEvenReadOnly(const SystemPath& path);

}  // namespace setup
