#pragma once

#include <string>
#include <vector>

#include "platform/file_services.h"
#include "platform/runtime.h"
#include "staging/registry_values.h"

namespace setup::check {

/// The update engine's file services for a dry run: what the engine reads comes from the installation
/// through the program's own runtime, and every change it asks for is left unmade.
class ReadOnlyStagingFiles : public FileServices {
  public:
    explicit ReadOnlyStagingFiles(Runtime& runtime) : m_reading(runtime.files()) {}

    /// Holding a folder changes nothing in it, and lets what is read there be read as a run reads it.
    void holdFolder(const std::wstring& folder) override { m_reading.holdFolder(folder); }
    NodeKind kindOf(const std::wstring& path) override { return m_reading.kindOf(path); }
    std::wstring spell(const std::wstring& path) override { return m_reading.spell(path); }
    std::wstring realPath(const std::wstring& path) override { return m_reading.realPath(path); }
    bool nameFits(const std::wstring& name) override { return m_reading.nameFits(name); }
    std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) override {
        return m_reading.readFile(path, limit);
    }
    std::uint64_t copyFile(const std::wstring&, const std::wstring&, const std::wstring&,
                           CopyCheck*) override {
        return 0;
    }
    void writeFile(const std::wstring&, const std::string&) override {}
    void flushFiles(const std::vector<std::wstring>&) override {}
    void flushFolders(const std::vector<std::wstring>&) override {}
    void rename(const std::wstring&, const std::wstring&) override {}
    void createFolder(const std::wstring&) override {}
    void removeFolder(const std::wstring&) override {}
    void removeFile(const std::wstring&) override {}

  private:
    FileServices& m_reading;
};

/// The product registry for a dry run: every value reads as absent and nothing is written, so that the
/// engine's decisions, which never hang on a value, are made without touching the registry.
class ReadOnlyRegistryValues final : public RegistryValues {
  public:
    std::optional<std::wstring> read(const std::wstring&, const std::wstring&) override {
        return std::nullopt;
    }
    void write(const std::wstring&, const std::wstring&, const std::optional<std::wstring>&) override {}
    void removeTemporary(std::uint64_t) override {}
};

}  // namespace setup::check
