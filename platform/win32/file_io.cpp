#include "platform/file_io.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/failure.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

[[noreturn]] void fail(const std::string& what, const SystemPath& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

/// Closes a file handle when it goes out of scope.
class Handle {
  public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    /// Closes now and answers whether the close succeeded.
    bool release() {
        const bool closed = ::CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE m_handle;
};

/// The folder part of a path in extended form; empty above the root.
std::wstring parentOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring::npos || separator < 4) return std::wstring();  // nothing above "\\?\"
    // The root of a drive keeps its backslash: the folder of "\\?\C:\name" is "\\?\C:\".
    if (separator == 6 && path[5] == L':')
        return separator + 1 == path.size() ? std::wstring() : path.substr(0, 7);
    return path.substr(0, separator);
}

bool isMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

void createDirectories(const std::wstring& directory, const SystemPath& shown) {
    if (directory.empty()) return;
    const DWORD attributes = ::GetFileAttributesW(directory.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
        fail("pas un dossier :", shown, ERROR_DIRECTORY);
    }
    createDirectories(parentOf(directory), shown);
    if (!::CreateDirectoryW(directory.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        fail("impossible de cr\u00E9er le dossier", shown, ::GetLastError());
}

/// Opens `path` for reading only when it is a regular file on a disk.
HANDLE openRegularForReading(const SystemPath& path) {
    // Others may go on reading the file, none may write it while it is read.
    HANDLE handle = ::CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) fail("impossible d'ouvrir", path, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK &&
                         ::GetFileInformationByHandle(handle, &info) &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (!regular) {
        ::CloseHandle(handle);
        fail("pas un fichier ordinaire :", path, ERROR_INVALID_FUNCTION);
    }
    return handle;
}

/// Reads up to `size` bytes; 0 at the end of the file.
std::size_t readSome(HANDLE handle, char* data, DWORD size, const SystemPath& path) {
    DWORD count = 0;
    if (!::ReadFile(handle, data, size, &count, nullptr)) fail("impossible de lire", path, ::GetLastError());
    return count;
}

void writeAll(HANDLE handle, const char* data, std::size_t size, const SystemPath& path) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD count = 0;
        if (!::WriteFile(handle, data, chunk, &count, nullptr))
            fail("impossible d'\u00E9crire", path, ::GetLastError());
        data += count;
        size -= count;
    }
}

/// The temporary file beside `target` that this process replaces files through, created new and held
/// exclusively; one left by a stopped process of the same number is its own, and goes.
HANDLE createTemporary(const std::wstring& directory, std::wstring& temporary, const SystemPath& shown) {
    temporary = directory + L"\\" + replacementTemporaryName(currentProcessId());
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(temporary.c_str());
    HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        fail("impossible de cr\u00E9er un fichier temporaire dans", shown, ::GetLastError());
    return handle;
}

void removeTemporary(const std::wstring& temporary) {
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(temporary.c_str());
}

/// Writes a temporary file beside `path` through `fill`, flushes it, gives it `attributes` and moves it over
/// `path` in one step. The temporary file never outlives a failure. A destination that is read-only or held
/// open by another program without leave to delete it refuses the move and stays whole.
void replaceThroughTemporary(const SystemPath& path, DWORD attributes,
                             const std::function<void(HANDLE)>& fill) {
    const std::wstring target = systemPath(path);
    const std::wstring directory = parentOf(target);
    createDirectories(directory, parentFolder(path));

    // Windows refuses to replace a read-only file; asked first, the refusal is the same on every system
    // that runs the program, and no temporary file is written for nothing.
    if (const DWORD existing = ::GetFileAttributesW(target.c_str());
        existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        fail("impossible de remplacer le fichier en lecture seule", path, ERROR_ACCESS_DENIED);
    }

    std::wstring temporary;
    Handle file(createTemporary(directory, temporary, parentFolder(path)));
    try {
        fill(file.get());
        if (!::FlushFileBuffers(file.get()))
            fail("impossible d'\u00E9crire sur le disque la copie de", path, ::GetLastError());
        if (!file.release()) fail("impossible de fermer la copie de", path, ::GetLastError());
        if (attributes != FILE_ATTRIBUTE_NORMAL && !::SetFileAttributesW(temporary.c_str(), attributes))
            fail("impossible de fixer les attributs de la copie de", path, ::GetLastError());
        if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            fail("impossible de remplacer", path, ::GetLastError());
    } catch (...) {
        if (file.get() != INVALID_HANDLE_VALUE) file.release();
        removeTemporary(temporary);
        throw;
    }
}

/// The attributes a replacement carries over: those the user sets, not those the system manages.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

DWORD keptAttributes(DWORD attributes) {
    const DWORD kept = attributes & kKeptAttributes;
    return kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept;
}

}  // namespace

std::string readWholeFile(const SystemPath& path) {
    Handle file(openRegularForReading(path));
    std::string bytes;
    char buffer[65536];
    while (const std::size_t count = readSome(file.get(), buffer, sizeof buffer, path))
        bytes.append(buffer, count);
    return bytes;
}

std::optional<std::string> readFileIfPresent(const SystemPath& path) {
    if (::GetFileAttributesW(systemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (isMissing(error)) return std::nullopt;
        fail("impossible d'examiner", path, error);
    }
    return readWholeFile(path);
}

std::uint64_t currentProcessId() { return ::GetCurrentProcessId(); }

std::wstring replacementTemporaryName(std::uint64_t processId) {
    return L".setup-" + std::to_wstring(processId) + L".tmp";
}

void replaceFileAtomically(const SystemPath& path, const std::string& bytes) {
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (const DWORD existing = ::GetFileAttributesW(systemPath(path).c_str());
        existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        attributes = keptAttributes(existing);
    }
    replaceThroughTemporary(path, attributes,
                            [&](HANDLE file) { writeAll(file, bytes.data(), bytes.size(), path); });
}

void writeNewPrivateFile(const SystemPath& path, const std::string& bytes) {
    // The folder's own access rules apply: Windows gives a new file no mode of its own.
    HANDLE handle = ::CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) fail("impossible de cr\u00E9er", path, ::GetLastError());
    try {
        writeAll(handle, bytes.data(), bytes.size(), path);
        if (!::FlushFileBuffers(handle))
            fail("impossible d'\u00E9crire sur le disque", path, ::GetLastError());
    } catch (...) {
        ::CloseHandle(handle);
        ::DeleteFileW(systemPath(path).c_str());
        throw;
    }
    ::CloseHandle(handle);
}

bool existsNoFollow(const SystemPath& path) {
    try {
        // The attributes of a link or junction are its own: the query never goes to its target.
        return ::GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (const Failure&) {
        return false;
    }
}

void removeFile(const SystemPath& path) {
    const std::wstring target = systemPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) fail("impossible de supprimer", path, ::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure("refus de supprimer le dossier " + toUtf8(path));
    if (!::DeleteFileW(target.c_str())) fail("impossible de supprimer", path, ::GetLastError());
}

void removeFileEvenReadOnly(const SystemPath& path) {
    const std::wstring target = systemPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        removeFile(path);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw Failure("refus de supprimer le dossier " + toUtf8(path));
    if (!::SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        fail("impossible de supprimer", path, ::GetLastError());
    if (!::DeleteFileW(target.c_str())) {
        const DWORD error = ::GetLastError();
        ::SetFileAttributesW(target.c_str(), attributes);
        fail("impossible de supprimer", path, error);
    }
}

}  // namespace setup
