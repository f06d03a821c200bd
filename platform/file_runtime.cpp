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

/// A path that already holds the file system's spelling (as resolvePath answers it, or such a path with a
/// name of the program's own appended), taken as it is: no name is looked up, so the program's own files
/// cost no search of their folder, however many files it holds.
std::filesystem::path literalPath(const std::wstring& path) {
    std::string utf8 = toUtf8(path.substr(0, path.find(L'\0')));
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::vector<std::filesystem::path> literalPaths(const std::vector<std::wstring>& paths) {
    std::vector<std::filesystem::path> literal;
    literal.reserve(paths.size());
    for (const std::wstring& path : paths) literal.push_back(literalPath(path));
    return literal;
}

}  // namespace

FileRuntime::FileRuntime(std::optional<std::wstring> programDirectory)
    : m_programDirectory(std::move(programDirectory)) {}

std::wstring FileRuntime::programDirectory() {
    if (!m_programDirectory) m_programDirectory = executableDirectory();
    return *m_programDirectory;
}

FileNumber FileRuntime::freeFileNumber() {
    for (FileNumber number = kFirstFileNumber; number <= kLastFileNumber; ++number) {
        if (!m_open.contains(number)) return number;
    }
    throw Failure("every file number is in use");
}

void FileRuntime::openForInput(FileNumber number, const std::wstring& path) {
    if (number < kFirstFileNumber || number > kLastFileNumber) throw Failure("bad " + numberText(number));
    if (m_open.contains(number)) throw Failure(numberText(number) + " is already open");
    std::filesystem::path mapped = mapPath(path);
    openAndClose(mapped);
    m_open.emplace(number, OpenFile{std::move(mapped), nullptr});
}

bool FileRuntime::atEndOfFile(FileNumber number) { return openFile(number).atEnd(); }

std::wstring FileRuntime::readEntry(FileNumber number) { return openFile(number).next(); }

void FileRuntime::close(FileNumber number) {
    if (m_open.erase(number) == 0) throw Failure(numberText(number) + " is not open");
}

bool FileRuntime::folderExists(const std::wstring& path) {
    try {
        return isExistingFolder(mapPath(path));
    } catch (const std::exception&) {
        return false;
    }
}

void FileRuntime::deleteFile(const std::wstring& path) { removeFile(mapPath(path)); }

std::wstring FileRuntime::resolvePath(const std::wstring& path) {
    return programPath(spelledAsStored(mapPath(path)));
}

void FileRuntime::stageCopy(const std::wstring& source, const std::wstring& destination,
                            const std::wstring& staged) {
    stageFileCopy(mapPath(source), literalPath(destination), literalPath(staged));
}

void FileRuntime::writeFile(const std::wstring& path, const std::string& bytes) {
    writeFileUnflushed(literalPath(path), bytes);
}

std::optional<std::string> FileRuntime::readFile(const std::wstring& path) {
    return readFileIfPresent(literalPath(path));
}

void FileRuntime::flushFiles(const std::vector<std::wstring>& paths) {
    setup::flushFiles(literalPaths(paths));
}

void FileRuntime::flushFolders(const std::vector<std::wstring>& folders) {
    setup::flushFolders(literalPaths(folders));
}

void FileRuntime::removeOwnFile(const std::wstring& path) { removeFileEvenReadOnly(literalPath(path)); }

void FileRuntime::renameFile(const std::wstring& from, const std::wstring& to) {
    renameReplacing(literalPath(from), literalPath(to));
}

void FileRuntime::createFolder(const std::wstring& path) { setup::createFolder(literalPath(path)); }

void FileRuntime::removeFolder(const std::wstring& path) { removeEmptyFolder(literalPath(path)); }

bool FileRuntime::exists(const std::wstring& path) { return existsNoFollow(literalPath(path)); }

void FileRuntime::closeAll() {
    m_open.clear();
    m_installationLock.reset();
}

EntryReader& FileRuntime::openFile(FileNumber number) {
    auto it = m_open.find(number);
    if (it == m_open.end()) throw Failure(numberText(number) + " is not open");
    OpenFile& file = it->second;
    if (!file.reader) file.reader = std::make_unique<EntryReader>(readWholeFile(file.path));
    return *file.reader;
}

EntryType FileRuntime::entryKind(const std::wstring& path) { return entryTypeNoFollow(literalPath(path)); }

std::wstring FileRuntime::realPath(const std::wstring& path) {
    return programPath(realLocation(mapPath(path)));
}

bool FileRuntime::nameFits(const std::wstring& name) { return nameFitsSystem(name); }

bool FileRuntime::lockInstallation(const std::wstring& folder) {
    // A run locks its installation once; asking again while holding it changes nothing.
    if (!m_installationLock) m_installationLock = takeInstallationLock(mapPath(folder));
    return m_installationLock != nullptr;
}

}  // namespace setup
