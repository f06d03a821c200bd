#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/entry_reader.h"
#include "platform/held_files.h"
#include "platform/installation_lock.h"
#include "platform/runtime.h"
#include "platform/system_path.h"

namespace setup {

/// The list's file numbers, the file services over held folders and the installation's lock, over the real
/// file system, for a run inside `host`.
class FileRuntime : public Runtime {
  public:
    explicit FileRuntime(Host& host) : Runtime(host) {}

    FileNumber freeFileNumber() override;
    void openForInput(FileNumber number, const std::wstring& path) override;
    bool atEndOfFile(FileNumber number) override;
    std::wstring readEntry(FileNumber number) override;
    void close(FileNumber number) override;
    bool folderExists(const std::wstring& path) override;
    FileServices& files() override { return m_files; }
    /// The system's finder, set up at the first question.
    FileHolderFinder& fileHolders() override;
    bool lockInstallation(const std::wstring& folder) override;

    /// Closes every open file number, lets every held folder go and gives up the installation's lock (its
    /// lock file goes), as the end of the program does.
    void releaseAll() override;

  private:
    /// A file open under a number. Its bytes are read at the first test or read, so that an open and a
    /// close alone (a presence check) read nothing of it, whatever its size.
    struct OpenFile {
        SystemPath path;
        std::unique_ptr<EntryReader> reader;
    };

    EntryReader& openFile(FileNumber number);

    std::map<FileNumber, OpenFile> m_open;
    /// Held from lockInstallation to the end of the program.
    std::unique_ptr<InstallationLock> m_installationLock;
    HeldFolderFiles m_files;
    std::unique_ptr<FileHolderFinder> m_holders;
};

}  // namespace setup
