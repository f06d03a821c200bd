#include <windows.h>

#include <exception>
#include <optional>
#include <string>

#include "platform/path_mapping.h"
#include "platform/system_error_text.h"
#include "platform/win32/system_path.h"
#include "platform/win32/system_text.h"

namespace setup {

namespace {

/// Where an existing path leads once every link, junction and other reparse point on it is followed, in
/// the system's own spelling; nullopt when nothing exists there; throws Failure when it exists but cannot
/// be resolved.
std::optional<std::wstring> finalPath(const std::wstring& path) {
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A name Windows cannot hold ("a|b") names nothing, as a missing one does.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME &&
            error != ERROR_DIRECTORY)
            throw Failure("impossible d'ouvrir une partie du chemin : " + systemErrorText(error));
        // A link whose target is gone exists all the same: where it would lead cannot be told.
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            throw Failure("un lien ne m\u00E8ne nulle part");
        return std::nullopt;
    }
    try {
        std::wstring resolved = systemText("where a path leads", [&](wchar_t* buffer, DWORD size) {
            return ::GetFinalPathNameByHandleW(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        });
        ::CloseHandle(handle);
        return resolved;
    } catch (...) {
        ::CloseHandle(handle);
        throw;
    }
}

/// True when `inner` is `outer` or lies below it, comparing whole components.
bool isWithin(const std::wstring& inner, const std::wstring& outer) {
    if (inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || outer.back() == L'\\' || inner[outer.size()] == L'\\';
}

/// `path` without separators at its end, a drive's root excepted ("\\?\C:\").
std::wstring withoutTrailingSeparators(std::wstring path) {
    while (path.size() > 7 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

bool resolvesInsideFolder(std::wstring_view base, std::wstring_view relative, LastLink last) {
    if (!staysInsideBase(relative)) return false;
    try {
        // The names as the file services will open them: made whole by the system, "." and ".." taken
        // out as text before any link is looked at, as Windows itself does.
        const std::wstring folder = withoutTrailingSeparators(systemPath(std::wstring(base)));
        std::wstring joined(base);
        joined += L'\\';
        joined += relative;
        const std::wstring target = withoutTrailingSeparators(systemPath(joined));
        if (!isWithin(target, folder)) return false;

        const std::optional<std::wstring> root = finalPath(folder);
        if (!root) return false;
        // A link as the last component is removed itself, never followed, so only its folder counts.
        std::size_t end = target.size();
        if (last == LastLink::Kept && end > folder.size()) end = target.find_last_of(L'\\');
        // Each part below the folder that exists must lead inside it; the first part that does not exist
        // ends the walk, since nothing below it can lead anywhere yet.
        for (std::size_t at = folder.size(); at < end;) {
            const std::size_t next = target.find(L'\\', at + 1);
            at = next == std::wstring::npos || next > end ? end : next;
            const std::optional<std::wstring> resolved = finalPath(target.substr(0, at));
            if (!resolved) return true;
            if (!isWithin(*resolved, *root)) return false;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
