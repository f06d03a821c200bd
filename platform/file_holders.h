#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace setup {

/// A running program that holds a file open, as the system names it.
struct FileHolder {
    std::wstring program;
    std::uint32_t processId;
};

/// Finds the programs that hold files open, so that a run can tell the user which ones to close.
class FileHolderFinder {
  public:
    virtual ~FileHolderFinder() = default;
    /// The programs that hold any of `paths` open, as the system names them; empty when the system names
    /// none. Each program once, in the order of its process number, never the calling program itself; a
    /// missing file has no holder. Throws Failure when the system cannot be asked.
    virtual std::vector<FileHolder> holdersOf(const std::vector<std::wstring>& paths) = 0;
};

/// The system's own finder: Windows' Restart Manager; on Linux the processes' open files and mappings.
std::unique_ptr<FileHolderFinder> systemFileHolderFinder();

}  // namespace setup
