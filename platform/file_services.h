#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_digest.h"

namespace setup {

/// What a copy checks as it goes, for a file whose content is known before it is copied.
struct CopyCheck {
    std::uint64_t limit = 0;  ///< the most bytes the file may hold; the copy stops at the first one beyond
    Sha256Digest digest{};    ///< set by the copy: the SHA-256 of the bytes it staged
};

/// What a path names, without following a link at its last component.
enum class NodeKind { Missing, File, Folder, Other };

/// The file services the update engine, the cleanup and the checker stand on, and nothing more. Paths are
/// program paths ("\" or "/" between components). Every failing call throws Failure.
///
/// A run holds the folders it works in (holdFolder). Below a held folder every call acts relative to the
/// folder opened then, and no link (junction, reparse point) below it is ever followed: a link met on the
/// way is a failure, and kindOf answers Other for it. Changes are made only below a held folder: one asked
/// for anywhere else is a failure. Nothing is durable until flushed: a file's bytes after flushFiles, a
/// creation, rename or removal after flushFolders of the folder that holds it.
class FileServices {
  public:
    virtual ~FileServices() = default;

    /// Opens the folder `folder` (links on its own path are followed: the folder is where they lead) and
    /// holds it for every later call below it, under this spelling and under its real path. Holding a
    /// folder already held changes nothing. Throws Failure when no folder is there.
    virtual void holdFolder(const std::wstring& folder) = 0;
    /// What is at `path`; a link, a device or a pipe is Other. Never throws.
    virtual NodeKind kindOf(const std::wstring& path) = 0;
    /// `path` as the file system spells it: each existing component under the name it was found by (an
    /// exact match first, then one without regard to letter case); past a missing component, or one that
    /// is not a folder, the rest as given.
    virtual std::wstring spell(const std::wstring& path) = 0;
    /// `path` with every link among its existing components resolved; missing components as given. Only
    /// the plan asks, to learn where a link it accepts leads; what it then uses is the real path.
    virtual std::wstring realPath(const std::wstring& path) = 0;
    /// True when `name`, one component, is within the system's limits for a name.
    virtual bool nameFits(const std::wstring& name) = 0;
    /// Copies the regular file `source` into the new file `staged` (its folder exists), which takes the
    /// mode of `installed` when that is a regular file, and answers the bytes copied. Not flushed. A
    /// failed copy leaves nothing at `staged`. With `check`, the copy digests the bytes as it writes them
    /// and stops once it has staged one byte more than the limit (answering limit + 1, the staged file
    /// left for the caller to remove), so that a file larger than it should be is never read whole.
    virtual std::uint64_t copyFile(const std::wstring& source, const std::wstring& installed,
                                   const std::wstring& staged, CopyCheck* check = nullptr) = 0;
    /// Writes `bytes` as the whole content of `path`, replacing any file there; not flushed.
    virtual void writeFile(const std::wstring& path, const std::string& bytes) = 0;
    /// The content of the regular file at `path`; nullopt when nothing is there. A file of more than
    /// `limit` bytes is a failure, found without reading it whole.
    virtual std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) = 0;
    /// Makes the bytes of every file of `paths` durable.
    virtual void flushFiles(const std::vector<std::wstring>& paths) = 0;
    /// Makes the entries of every folder of `folders` durable.
    virtual void flushFolders(const std::vector<std::wstring>& folders) = 0;
    /// Renames `from` to `to` in one step, replacing a file at `to`; both lie in one held folder.
    virtual void rename(const std::wstring& from, const std::wstring& to) = 0;
    /// Creates the folder `path`, whose parent exists; a folder already there is no failure.
    virtual void createFolder(const std::wstring& path) = 0;
    /// Removes the empty folder `path`.
    virtual void removeFolder(const std::wstring& path) = 0;
    /// Removes the file `path` (a read-only one too); never a folder, never a link's target (a link is
    /// removed itself).
    virtual void removeFile(const std::wstring& path) = 0;
    /// Removes the file `path` of the update folder as removeFile does, but as the system's own deletion
    /// does it: a read-only file is a failure and stays (Windows; on Linux the mode never stops a removal).
    virtual void removeShippedFile(const std::wstring& path) { removeFile(path); }
    /// True when the file `path` below a held folder cannot be renamed or replaced now because another
    /// program holds it open; false for a missing file. Only Windows refuses such a change: on Linux a
    /// rename never waits for the programs that hold the file, so there the answer is always false.
    virtual bool heldByAnotherProgram(const std::wstring& path) {
        static_cast<void>(path);
        return false;
    }
};

}  // namespace setup
