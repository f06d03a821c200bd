#include "platform/append_file.h"

#include <windows.h>

#include "platform/failure.h"
#include "platform/win32/system_path.h"

namespace setup {

AppendFile::AppendFile(const std::wstring& path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system puts every write at the end of the file as it
    // stands then, whoever else appends meanwhile. Others may read and append while the run goes on. Read
    // access lets the writes be serialised by a lock (see append).
    const HANDLE handle = ::CreateFileW(
        systemPath(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw Failure("Windows error " + std::to_string(::GetLastError()));
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
        throw Failure("Windows error " + std::to_string(::GetLastError()));
    DWORD written = 0;
    const bool wrote = ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    ::UnlockFileEx(handle, 0, 1, 0, &place);
    if (!wrote) throw Failure("Windows error " + std::to_string(error));
    if (written != bytes.size()) throw Failure("partial write");
}

std::string_view systemLineEnd() { return "\r\n"; }

}  // namespace setup
