#include "platform/append_file.h"

#include <windows.h>

#include "platform/failure.h"
#include "platform/win32/system_path.h"

namespace setup {

AppendFile::AppendFile(const std::wstring& path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system puts every write at the end of the file as it
    // stands then, whoever else appends meanwhile. Others may read and append while the run goes on.
    const HANDLE handle = ::CreateFileW(systemPath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw Failure("Windows error " + std::to_string(::GetLastError()));
    m_handle = reinterpret_cast<std::intptr_t>(handle);
}

AppendFile::~AppendFile() { ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); }

void AppendFile::append(std::string_view bytes) {
    DWORD written = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(m_handle), bytes.data(), static_cast<DWORD>(bytes.size()),
                     &written, nullptr))
        throw Failure("Windows error " + std::to_string(::GetLastError()));
    if (written != bytes.size()) throw Failure("partial write");
}

std::string_view systemLineEnd() { return "\r\n"; }

}  // namespace setup
