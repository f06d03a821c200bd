#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace setup {

/// What a path names, without following a link at its last component.
enum class NodeKind { Missing, File, Folder, Other };

/// The file services the update engine stands on, and nothing more. Paths are program paths ("\" or "/"
/// between components). Every failing call throws Failure. Nothing is durable until flushed: a file's
/// bytes after flushFiles, a creation, rename or removal after flushFolders of the folder that holds it.
class StagingFiles {
  public:
    virtual ~StagingFiles() = default;

    /// What is at `path`; a link, a device or a pipe is Other. Never throws.
    virtual NodeKind kindOf(const std::wstring& path) = 0;
    /// `path` as the file system spells it: each existing component under the name it was found by (an
    /// exact match first, then one without regard to letter case); missing components as given.
    virtual std::wstring spell(const std::wstring& path) = 0;
    /// `path` with every link among its existing components resolved; missing components as given.
    virtual std::wstring realPath(const std::wstring& path) = 0;
    /// True when `name`, one component, is within the system's limits for a name.
    virtual bool nameFits(const std::wstring& name) = 0;
    /// Copies the regular file `source` into the new file `staged` (its folder exists), which takes the
    /// mode of `installed` when that is a regular file. Not flushed. A failed copy leaves nothing at
    /// `staged`.
    virtual void copyFile(const std::wstring& source, const std::wstring& installed,
                          const std::wstring& staged) = 0;
    /// Writes `bytes` as the whole content of `path`, replacing any file there; not flushed.
    virtual void writeFile(const std::wstring& path, const std::string& bytes) = 0;
    /// The content of the regular file at `path`; nullopt when nothing is there.
    virtual std::optional<std::string> readFile(const std::wstring& path) = 0;
    /// Makes the bytes of every file of `paths` durable.
    virtual void flushFiles(const std::vector<std::wstring>& paths) = 0;
    /// Makes the entries of every folder of `folders` durable.
    virtual void flushFolders(const std::vector<std::wstring>& folders) = 0;
    /// Renames `from` to `to` in one step, replacing a file at `to`.
    virtual void rename(const std::wstring& from, const std::wstring& to) = 0;
    /// Creates the folder `path`, whose parent exists; a folder already there is no failure.
    virtual void createFolder(const std::wstring& path) = 0;
    /// Removes the empty folder `path`.
    virtual void removeFolder(const std::wstring& path) = 0;
    /// Removes the file `path` (a read-only one too); never a folder, never a link's target.
    virtual void removeFile(const std::wstring& path) = 0;
};

/// The product registry's values as the update engine reads and writes them, one at a time.
class RegistryValues {
  public:
    virtual ~RegistryValues() = default;
    /// The value of `key` in `section`; nullopt when the key is absent. Throws Failure when the registry
    /// cannot be read.
    virtual std::optional<std::wstring> read(const std::wstring& section, const std::wstring& key) = 0;
    /// Stores `value` under `key` in `section`, or removes the key for nullopt, durably and in one step.
    /// Throws Failure; the registry then stays as it was.
    virtual void write(const std::wstring& section, const std::wstring& key,
                       const std::optional<std::wstring>& value) = 0;
    /// Removes the temporary file through which process `process` was writing the registry when it
    /// stopped, if one is there. Throws Failure.
    virtual void removeTemporary(std::uint64_t process) = 0;
};

}  // namespace setup
