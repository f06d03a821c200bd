#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace setup {

/// Thrown when a link (even one leading nowhere), a folder, a pipe or a device stands at the name to
/// append to: nothing is created there or written through it.
class NotARegularFile : public Failure {
  public:
    using Failure::Failure;
};

/// A file opened for appending and shared with other writers: each append lands whole at the end of the
/// file as it stands at that moment, so the lines of two programs writing at once never mix. Nothing is
/// buffered, so a process killed halfway leaves every append made before. Closed when destroyed.
class AppendFile {
  public:
    /// Opens the file at `path` (a path as the user wrote it, relative to the working folder or not),
    /// creating it when absent; a link at its last component is never followed. Throws NotARegularFile when
    /// anything but a regular file stands at that name, Failure with the system's reason when it cannot be
    /// opened.
    explicit AppendFile(const std::wstring& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    /// Appends `bytes` in one write call. Throws Failure when the system refuses or writes only part.
    void append(std::string_view bytes);

  private:
    std::intptr_t m_handle;
};

/// The line end of the system's text files: LF on Linux, CR LF on Windows.
std::string_view systemLineEnd();

}  // namespace setup
