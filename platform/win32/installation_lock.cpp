#include "platform/installation_lock.h"

#include <windows.h>

#include <string>

#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

[[noreturn]] void fail(const std::string& what, const SystemPath& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

/// What the program's lock file never is: a folder, or a link or junction opened as itself.
constexpr DWORD kNotRegular = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

[[noreturn]] void refuse(const SystemPath& path) {
    throw ForeignLockFile("not the program's lock file: " + toUtf8(path));
}

/// The open handle is the lock: no other open of the file is shared with it, and the system deletes the
/// file when the handle closes, at the end of the process too.
class ExclusiveOpenInstallationLock final : public InstallationLock {
  public:
    explicit ExclusiveOpenInstallationLock(HANDLE handle) : m_handle(handle) {}
    ExclusiveOpenInstallationLock(const ExclusiveOpenInstallationLock&) = delete;
    ExclusiveOpenInstallationLock& operator=(const ExclusiveOpenInstallationLock&) = delete;
    ~ExclusiveOpenInstallationLock() override { ::CloseHandle(m_handle); }

  private:
    HANDLE m_handle;
};

/// Keeps what was opened at the name, since it is not the program's to delete, and closes it.
void closeKeepingFile(HANDLE handle) {
    FILE_DISPOSITION_INFO keep{};
    keep.DeleteFile = FALSE;
    ::SetFileInformationByHandle(handle, FileDispositionInfo, &keep, sizeof keep);
    ::CloseHandle(handle);
}

}  // namespace

std::unique_ptr<InstallationLock> takeInstallationLock(const SystemPath& folder) {
    const SystemPath path = folderEntry(folder, kInstallationLockName);
    // A link or junction at the name is opened as itself, never followed, and then refused.
    const HANDLE handle = ::CreateFileW(
        systemPath(path).c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION) return nullptr;
        // A folder is not opened at all (access denied): what stands at the name tells it apart.
        const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotRegular) != 0) refuse(path);
        fail("impossible d'ouvrir le verrou de l'installation", path, error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        const DWORD error = ::GetLastError();
        closeKeepingFile(handle);
        fail("impossible d'examiner le verrou de l'installation", path, error);
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK || (info.dwFileAttributes & kNotRegular) != 0) {
        closeKeepingFile(handle);
        refuse(path);
    }
    return std::make_unique<ExclusiveOpenInstallationLock>(handle);
}

}  // namespace setup
