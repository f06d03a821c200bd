#include "platform/file_runtime.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/file_probe.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr FileNumber kFirstFileNumber = 1;
constexpr FileNumber kLastFileNumber = 255;

std::string numberText(FileNumber number) { return "file number " + std::to_string(number); }

}  // namespace

FileHolderFinder& FileRuntime::fileHolders() {
    if (!m_holders) m_holders = systemFileHolderFinder();
    return *m_holders;
}

FileNumber FileRuntime::freeFileNumber() {
    for (FileNumber number = kFirstFileNumber; number <= kLastFileNumber; ++number) {
        if (!m_open.contains(number)) return number;
    }
    throw Failure("tous les num\u00E9ros de fichier sont pris");
}

void FileRuntime::openForInput(FileNumber number, const std::wstring& path) {
    if (number < kFirstFileNumber || number > kLastFileNumber) throw Failure("bad " + numberText(number));
    if (m_open.contains(number)) throw Failure(numberText(number) + " est d\u00E9j\u00E0 ouvert");
    SystemPath mapped = mapPath(path);
    openAndClose(mapped);
    m_open.emplace(number, OpenFile{std::move(mapped), nullptr});
}

bool FileRuntime::atEndOfFile(FileNumber number) { return openFile(number).atEnd(); }

std::wstring FileRuntime::readEntry(FileNumber number) { return openFile(number).next(); }

void FileRuntime::close(FileNumber number) {
    if (m_open.erase(number) == 0) throw Failure(numberText(number) + " n'est pas ouvert");
}

bool FileRuntime::folderExists(const std::wstring& path) {
    try {
        return isExistingFolder(mapPath(path));
    } catch (const std::exception&) {
        return false;
    }
}

void FileRuntime::releaseAll() {
    m_open.clear();
    m_files.releaseAll();
    m_installationLock.reset();
}

EntryReader& FileRuntime::openFile(FileNumber number) {
    auto it = m_open.find(number);
    if (it == m_open.end()) throw Failure(numberText(number) + " n'est pas ouvert");
    OpenFile& file = it->second;
    if (!file.reader) file.reader = std::make_unique<EntryReader>(readWholeFile(file.path));
    return *file.reader;
}

bool FileRuntime::lockInstallation(const std::wstring& folder) {
    // A run locks its installation once; asking again while holding it changes nothing.
    if (!m_installationLock) m_installationLock = takeInstallationLock(mapPath(folder));
    return m_installationLock != nullptr;
}

}  // namespace setup
