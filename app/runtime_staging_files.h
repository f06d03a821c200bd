#pragma once

#include "staging/file_services.h"

namespace setup {

class Runtime;

/// The update engine's file services over the program's runtime, so that every fault a runtime plays
/// reaches the engine.
class RuntimeStagingFiles final : public StagingFiles {
  public:
    explicit RuntimeStagingFiles(Runtime& runtime) : m_runtime(runtime) {}

    NodeKind kindOf(const std::wstring& path) override;
    std::wstring spell(const std::wstring& path) override;
    std::wstring realPath(const std::wstring& path) override;
    bool nameFits(const std::wstring& name) override;
    void copyFile(const std::wstring& source, const std::wstring& installed,
                  const std::wstring& staged) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::wstring& path) override;
    void flushFiles(const std::vector<std::wstring>& paths) override;
    void flushFolders(const std::vector<std::wstring>& folders) override;
    void rename(const std::wstring& from, const std::wstring& to) override;
    void createFolder(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    void removeFile(const std::wstring& path) override;

  private:
    Runtime& m_runtime;
};

/// The product registry's values, read and written through the profile layer.
class ProductRegistryValues final : public RegistryValues {
  public:
    std::optional<std::wstring> read(const std::wstring& section, const std::wstring& key) override;
    void write(const std::wstring& section, const std::wstring& key,
               const std::optional<std::wstring>& value) override;
    void removeTemporary(std::uint64_t process) override;
};

}  // namespace setup
