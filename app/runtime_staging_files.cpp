#include "app/runtime_staging_files.h"

#include <filesystem>

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/runtime.h"
#include "registry/product_registry.h"

namespace setup {

NodeKind RuntimeStagingFiles::kindOf(const std::wstring& path) {
    switch (m_runtime.entryKind(path)) {
        case EntryType::Missing:
            return NodeKind::Missing;
        case EntryType::File:
            return NodeKind::File;
        case EntryType::Folder:
            return NodeKind::Folder;
        case EntryType::Other:
            break;
    }
    return NodeKind::Other;
}

std::wstring RuntimeStagingFiles::spell(const std::wstring& path) { return m_runtime.resolvePath(path); }

std::wstring RuntimeStagingFiles::realPath(const std::wstring& path) { return m_runtime.realPath(path); }

bool RuntimeStagingFiles::nameFits(const std::wstring& name) { return m_runtime.nameFits(name); }

void RuntimeStagingFiles::copyFile(const std::wstring& source, const std::wstring& installed,
                                   const std::wstring& staged) {
    m_runtime.stageCopy(source, installed, staged);
}

void RuntimeStagingFiles::writeFile(const std::wstring& path, const std::string& bytes) {
    m_runtime.writeFile(path, bytes);
}

std::optional<std::string> RuntimeStagingFiles::readFile(const std::wstring& path) {
    return m_runtime.readFile(path);
}

void RuntimeStagingFiles::flushFiles(const std::vector<std::wstring>& paths) { m_runtime.flushFiles(paths); }

void RuntimeStagingFiles::flushFolders(const std::vector<std::wstring>& folders) {
    m_runtime.flushFolders(folders);
}

void RuntimeStagingFiles::rename(const std::wstring& from, const std::wstring& to) {
    m_runtime.renameFile(from, to);
}

void RuntimeStagingFiles::createFolder(const std::wstring& path) { m_runtime.createFolder(path); }

void RuntimeStagingFiles::removeFolder(const std::wstring& path) { m_runtime.removeFolder(path); }

void RuntimeStagingFiles::removeFile(const std::wstring& path) { m_runtime.removeOwnFile(path); }

std::optional<std::wstring> ProductRegistryValues::read(const std::wstring& section,
                                                        const std::wstring& key) {
    return readRegistryValue(section, key);
}

void ProductRegistryValues::write(const std::wstring& section, const std::wstring& key,
                                  const std::optional<std::wstring>& value) {
    if (!writeRegistryValue(section, key, value)) throw Failure("the registry could not be written");
}

void ProductRegistryValues::removeTemporary(std::uint64_t process) {
    const std::optional<std::wstring> folder = registryFolder();
    if (!folder) return;
    const std::filesystem::path temporary = mapPath(*folder) / replacementTemporaryName(process);
    if (existsNoFollow(temporary)) removeFileEvenReadOnly(temporary);
}

}  // namespace setup
