#pragma once

#include <cstdint>
#include <string>

namespace setup {

/// A file number as handed out by ListFiles::freeFileNumber (1 and up).
using FileNumber = std::int16_t;

/// The update list's files, read by number as the sequence reads them: one entry at a time, each open
/// file under the number it was opened with. Every failing call throws Failure.
class ListFiles {
  public:
    virtual ~ListFiles() = default;

    /// Lowest file number not in use.
    virtual FileNumber freeFileNumber() = 0;
    /// Opens an existing regular file for sequential reading under `number`.
    virtual void openForInput(FileNumber number, const std::wstring& path) = 0;
    /// True when nothing remains to be read from `number`.
    virtual bool atEndOfFile(FileNumber number) = 0;
    /// Reads the next entry of the update list open under `number`.
    virtual std::wstring readEntry(FileNumber number) = 0;
    /// Closes `number`; the number becomes free again.
    virtual void close(FileNumber number) = 0;
};

/// True when `path` names a file that `files` can open for reading; never throws.
bool FileExists(ListFiles& files, const std::wstring& path);

}  // namespace setup
