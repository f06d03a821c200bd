#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/entry_reader.h"
#include "platform/installation_lock.h"
#include "platform/runtime.h"

namespace setup {

/// The file half of Runtime over the real file system, through the system's file services. The window half
/// (message boxes, pending messages, the end of the program) is left to a derived class.
class FileRuntime : public Runtime {
  public:
    /// `programDirectory` overrides the directory of the executable (tests run on temporary folders).
    explicit FileRuntime(std::optional<std::wstring> programDirectory = std::nullopt);

    std::wstring programDirectory() override;
    FileNumber freeFileNumber() override;
    void openForInput(FileNumber number, const std::wstring& path) override;
    bool atEndOfFile(FileNumber number) override;
    std::wstring readEntry(FileNumber number) override;
    void close(FileNumber number) override;
    bool folderExists(const std::wstring& path) override;
    void deleteFile(const std::wstring& path) override;
    void removeOwnFile(const std::wstring& path) override;
    std::wstring resolvePath(const std::wstring& path) override;
    void stageCopy(const std::wstring& source, const std::wstring& destination,
                   const std::wstring& staged) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::wstring& path) override;
    void flushFiles(const std::vector<std::wstring>& paths) override;
    void flushFolders(const std::vector<std::wstring>& folders) override;
    void renameFile(const std::wstring& from, const std::wstring& to) override;
    void createFolder(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    bool exists(const std::wstring& path) override;
    bool lockInstallation(const std::wstring& folder) override;
    EntryType entryKind(const std::wstring& path) override;
    std::wstring realPath(const std::wstring& path) override;
    bool nameFits(const std::wstring& name) override;

    /// Closes every open file number and gives up the installation's lock (its lock file goes), as the end of
    /// the program does.
    void closeAll();

  private:
    /// A file open under a number. Its bytes are read at the first test or read, so that an open and a
    /// close alone (a presence check) read nothing of it, whatever its size.
    struct OpenFile {
        std::filesystem::path path;
        std::unique_ptr<EntryReader> reader;
    };

    EntryReader& openFile(FileNumber number);

    std::optional<std::wstring> m_programDirectory;
    std::map<FileNumber, OpenFile> m_open;
    /// Held from lockInstallation to the end of the program.
    std::unique_ptr<InstallationLock> m_installationLock;
};

}  // namespace setup
