// The test programs' Windows directory. Compiled into every Windows test program in place of the system's
// (the platform library keeps that one alone in its own object file, which is then never linked), so that
// each scenario keeps its product registry in its own temporary folder through WINDIR, as on Linux, and
// the tests never touch the Windows directory of the machine that runs them.
#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "platform/failure.h"
#include "platform/path_mapping.h"

namespace setup {

SystemPath windowsDirectory() {
    if (const char* windir = std::getenv("WINDIR"); windir != nullptr && *windir != '\0')
        return std::filesystem::path(windir).wstring();
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) throw Failure("cannot find the Windows directory");
    return buffer;
}

}  // namespace setup
