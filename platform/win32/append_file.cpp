#include "platform/append_file.h"

#include <windows.h>

#include <string_view>

#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

/// What a regular file never is: a folder, or a link or junction opened as itself.
constexpr DWORD kNotRegular = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

[[noreturn]] void refuse(const std::wstring& path) {
    throw NotARegularFile("pas un fichier ordinaire : " + toUtf8(path));
}

/// A reserved name ("NUL", "CON"...) or a "\\.\" path leads to a device rather than to a file.
bool namesDevice(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH && std::wstring_view(full, length).starts_with(L"\\\\.\\");
}

}  // namespace

AppendFile::AppendFile(const std::wstring& path) {
    if (namesDevice(path)) refuse(path);
    const std::wstring name = systemPath(path);
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system puts every write at the end of the file as it
    // stands then, whoever else appends meanwhile. Others may read and append while the run goes on. Read
    // access lets the writes be serialised by a lock (see append). The run has an administrator's rights:
    // a link or junction at the name is opened as itself, never followed, and then refused.
    const HANDLE handle = ::CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder is not opened at all (access denied): what stands at the name tells it apart.
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotRegular) != 0) refuse(path);
        throw Failure(systemErrorText(error));
    }
    // A pipe or a device (CON, a named pipe) is no disk file, and has no file information to ask for.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        refuse(path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        throw Failure(systemErrorText(error));
    }
    if ((info.dwFileAttributes & kNotRegular) != 0) {
        ::CloseHandle(handle);
        refuse(path);
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
}

AppendFile::~AppendFile() { ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); }

void AppendFile::append(std::string_view bytes) {
    const HANDLE handle = reinterpret_cast<HANDLE>(m_handle);
    // Appends are whole on Windows' own file systems, but not everywhere a log may live (a share, Wine):
    // every writer of the log takes the same lock on one byte far past any data, so no reader waits and
    // two runs' lines never mix.
    OVERLAPPED place{};
    place.Offset = 0xFFFFFFFE;
    place.OffsetHigh = 0x7FFFFFFF;
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &place))
        throw Failure(systemErrorText(::GetLastError()));
    DWORD written = 0;
    const bool wrote = ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    ::UnlockFileEx(handle, 0, 1, 0, &place);
    if (!wrote) throw Failure(systemErrorText(error));
    if (written != bytes.size()) throw Failure("\u00E9criture incompl\u00E8te");
}

std::string_view systemLineEnd() { return "\r\n"; }

}  // namespace setup
