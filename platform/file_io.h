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

/// Copies the regular file `source` into `staged`, a file beside the installed file `installed` that the
/// commit later renames over it. Missing parent folders are created and a file already at `staged` is
/// replaced. The staged file gets the mode and owner of `installed` when that is a regular file (as a copy
/// onto an existing file keeps them), else the source's permission bits. Nothing is flushed: see
/// flushFiles. A failed copy leaves no file at `staged`. Throws Failure.
void stageFileCopy(const SystemPath& source, const SystemPath& installed, const SystemPath& staged);

/// Writes `bytes` as the whole content of `path`, replacing any file there, without flushing. Throws
/// Failure.
void writeFileUnflushed(const SystemPath& path, const std::string& bytes);

/// Brings the content of every file of `paths` to stable storage, all together, at about the cost of one
/// flush (on Linux one flush of each file system that holds them). Throws Failure.
void flushFiles(const std::vector<SystemPath>& paths);

/// Brings the entries of each folder of `folders` (files created, renamed or removed in it) to stable
/// storage. Throws Failure.
void flushFolders(const std::vector<SystemPath>& folders);

/// Renames `from` to `to` in one step, replacing a file at `to`; both lie on the same file system (a
/// staged copy may wait in a parent folder of its target). Throws Failure; `from` and `to` are then as
/// they were.
void renameReplacing(const SystemPath& from, const SystemPath& to);

/// Creates the folder `path`, whose parent exists; a folder already there is no failure. Throws Failure.
void createFolder(const SystemPath& path);

/// Removes the empty folder `path`; a folder that holds anything, or nothing at `path`, is a failure.
/// Throws Failure.
void removeEmptyFolder(const SystemPath& path);

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
