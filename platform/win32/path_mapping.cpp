#include "platform/path_mapping.h"

#include <windows.h>

#include "platform/failure.h"
#include "platform/win32/system_text.h"

namespace setup {

// Windows matches letter case, both separators and repeated separators itself.
SystemPath mapPath(std::wstring_view path) { return SystemPath(path.substr(0, path.find(L'\0'))); }

std::wstring programPath(const SystemPath& path) { return path; }

std::wstring executableDirectory() {
    const std::wstring executable = systemText("the running program", [](wchar_t* buffer, DWORD size) {
        // A path cut short fills the whole buffer; asking for more then gets it whole.
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer, size);
        return length >= size ? size : length;
    });
    const std::size_t separator = executable.find_last_of(L"\\/");
    if (separator == std::wstring::npos) throw Failure("le chemin du programme en cours n'a pas de dossier");
    std::wstring directory = executable.substr(0, separator);
    // The root of a drive keeps its backslash: "C:\".
    if (directory.size() == 2 && directory[1] == L':') directory += L'\\';
    return directory;
}

}  // namespace setup
