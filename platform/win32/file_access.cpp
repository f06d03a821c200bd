#include "platform/file_access.h"

#include <windows.h>

#include "platform/file_probe.h"

namespace setup {

bool canWriteInDirectory(const SystemPath& directory) {
    if (!isExistingFolder(directory)) return false;
    // Opening the folder itself for adding files asks the system's access check and changes nothing.
    const HANDLE handle = ::CreateFileW(directory.c_str(), FILE_ADD_FILE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(handle);
    return true;
}

}  // namespace setup
