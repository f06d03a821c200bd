#include "platform/file_probe.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "platform/failure.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

[[noreturn]] void fail(const std::string& what, const SystemPath& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

}  // namespace

bool isExistingFolder(const SystemPath& path) {
    try {
        if (path.empty()) return false;
        // Opened through any link or junction on the way, so that a link to a folder answers for its
        // folder; only the attributes are asked for, which any user may read.
        const HANDLE handle = ::CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool folder = ::GetFileInformationByHandle(handle, &info) &&
                            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        ::CloseHandle(handle);
        return folder;
    } catch (const std::exception&) {
        // A path the system cannot resolve, or a device, is no folder.
        return false;
    }
}

void openAndClose(const SystemPath& path) {
    // Nothing is read, so others may go on using the file as they please while it is asked after.
    const HANDLE handle = ::CreateFileW(systemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) fail("impossible d'ouvrir", path, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    const bool examined = disk && ::GetFileInformationByHandle(handle, &info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (disk && !examined) fail("impossible d'examiner", path, error);
    if (!disk || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw Failure("pas un fichier ordinaire : " + toUtf8(path));
}

NodeKind kindNoFollow(const SystemPath& path) {
    try {
        const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return NodeKind::Missing;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return NodeKind::Other;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return NodeKind::Folder;
        if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return NodeKind::Other;
        return NodeKind::File;
    } catch (const std::exception&) {
        // A device name such as NUL is no file the program may touch.
        return NodeKind::Other;
    }
}

namespace {

std::wstring finalPath(const std::wstring& path) {
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return L"";
    const std::wstring final = finalPathOf(handle);
    ::CloseHandle(handle);
    return final;
}

/// The last name of a path.
std::wstring storedName(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

}  // namespace

SystemPath realLocation(const SystemPath& path) {
    // "\\?\" (or "\\.\") alone, above every drive and share, ends the walk.
    constexpr std::size_t kPrefix = 4;
    try {
        SystemPath existing = systemPath(path);
        SystemPath missing;
        // The deepest existing folder is resolved by the system; the rest is appended as given.
        while (existing.size() > kPrefix) {
            const std::wstring resolved = finalPath(existing);
            if (!resolved.empty()) return missing.empty() ? resolved : folderEntry(resolved, missing);
            const std::size_t last = existing.find_last_of(L"\\/");
            const bool top = last == SystemPath::npos || last < kPrefix;
            const std::wstring name = existing.substr(top ? kPrefix : last + 1);
            if (!name.empty()) missing = missing.empty() ? name : name + L"\\" + missing;
            existing.erase(top ? kPrefix : last);
        }
        return path;
    } catch (const std::exception&) {
        return path;
    }
}

SystemPath spelledAsStored(const SystemPath& path) {
    const std::wstring& text = path;
    // A drive's root ("C:\"); other forms are left to the system as they are.
    if (text.size() < 3 || text[1] != L':' || (text[2] != L'\\' && text[2] != L'/')) return path;
    std::wstring spelled = text.substr(0, 2) + L"\\";
    std::size_t start = 3;
    bool existing = true;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part == L"." || part == L".." || part.find_first_of(L"*?") != std::wstring::npos) return path;
        if (spelled.back() != L'\\') spelled += L'\\';
        if (existing) {
            try {
                // The name the open file goes by, as its folder stores it; a junction or link on the way
                // would make it another name, which is then not taken.
                const HANDLE handle = ::CreateFileW(
                    systemPath(spelled + part).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
                if (handle == INVALID_HANDLE_VALUE) {
                    existing = false;
                } else {
                    const std::wstring stored = storedName(finalPathOf(handle));
                    ::CloseHandle(handle);
                    if (!stored.empty() &&
                        ::CompareStringOrdinal(stored.c_str(), static_cast<int>(stored.size()), part.c_str(),
                                               static_cast<int>(part.size()), TRUE) == CSTR_EQUAL) {
                        part = stored;
                    }
                }
            } catch (const std::exception&) {
                return path;
            }
        }
        spelled += part;
    }
    return spelled;
}

std::optional<std::uint64_t> regularFileSize(const SystemPath& path) {
    try {
        // Opened through any link on the way, as a read of the file would be; only its attributes are
        // asked for.
        const HANDLE handle = ::CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK &&
                             ::GetFileInformationByHandle(handle, &info) &&
                             (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        ::CloseHandle(handle);
        if (!regular) return std::nullopt;
        return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool nameFitsSystem(std::wstring_view name) { return name.size() <= 255; }

}  // namespace setup
