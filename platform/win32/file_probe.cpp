#include "platform/file_probe.h"

#include <windows.h>

#include <exception>
#include <string>

#include "platform/failure.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path.wstring()) + ": Windows error " + std::to_string(error));
}

}  // namespace

bool isExistingFolder(const std::filesystem::path& path) {
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

void openAndClose(const std::filesystem::path& path) {
    // Nothing is read, so others may go on using the file as they please while it is asked after.
    const HANDLE handle = ::CreateFileW(systemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) fail("cannot open", path, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
    const bool examined = disk && ::GetFileInformationByHandle(handle, &info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (disk && !examined) fail("cannot examine", path, error);
    if (!disk || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw Failure("not a regular file: " + toUtf8(path.wstring()));
}

}  // namespace setup
