#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

namespace setup::test {

/// The file_holder program (SETUP_FILE_HOLDER) running as a second process that holds a file open.
class FileHolderProcess {
  public:
    /// Starts it on `path`, mapped rather than open when `map` (Linux), and waits until it says it holds
    /// the file; throws std::runtime_error when it does not.
    explicit FileHolderProcess(const std::filesystem::path& path, bool map = false);
    /// Lets go if it still holds the file.
    ~FileHolderProcess();
    FileHolderProcess(const FileHolderProcess&) = delete;
    FileHolderProcess& operator=(const FileHolderProcess&) = delete;

    std::uint32_t processId() const;
    /// Ends its standard input and waits until it has ended; answers its exit status.
    int letGo();

  private:
    struct Process;
    std::unique_ptr<Process> m_process;
};

}  // namespace setup::test
