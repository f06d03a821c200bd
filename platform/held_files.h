#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_services.h"

namespace setup {

/// The system's file services over the folders a run holds (see FileServices). A held folder is opened
/// once; every folder below it that a call reaches is opened from its parent's handle, never by a path,
/// with links refused at every step, and kept open for later calls, so that a folder swapped for a link
/// after it was first reached changes nothing of where the run writes. Calls on paths outside every held
/// folder only read, by path.
class HeldFolderFiles final : public FileServices {
  public:
    HeldFolderFiles();
    ~HeldFolderFiles() override;
    HeldFolderFiles(const HeldFolderFiles&) = delete;
    HeldFolderFiles& operator=(const HeldFolderFiles&) = delete;

    void holdFolder(const std::wstring& folder) override;
    NodeKind kindOf(const std::wstring& path) override;
    std::wstring spell(const std::wstring& path) override;
    std::wstring realPath(const std::wstring& path) override;
    bool nameFits(const std::wstring& name) override;
    std::uint64_t copyFile(const std::wstring& source, const std::wstring& installed,
                           const std::wstring& staged, CopyCheck* check = nullptr) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) override;
    void flushFiles(const std::vector<std::wstring>& paths) override;
    void flushFolders(const std::vector<std::wstring>& folders) override;
    void rename(const std::wstring& from, const std::wstring& to) override;
    void createFolder(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    void removeFile(const std::wstring& path) override;
    void removeShippedFile(const std::wstring& path) override;
    bool heldByAnotherProgram(const std::wstring& path) override;

    /// Closes every held folder, as the end of the program does.
    void releaseAll();

  private:
    struct Folders;
    std::unique_ptr<Folders> m_folders;
};

/// Switches on, once, the system's own refusal to follow a link that a user with fewer rights planted
/// (Windows: the process's redirection-trust mitigation; Linux: the kernel's protected links, which only
/// the administrator sets) where the system has it, and answers whether it is on. Its absence changes
/// nothing of what the held folders refuse.
bool systemRefusesPlantedLinks();

}  // namespace setup
