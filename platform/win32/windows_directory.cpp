// Alone in its file so that a test program can put a Windows directory of its own in its place.
#include <windows.h>

#include "platform/path_mapping.h"
#include "platform/win32/system_text.h"

namespace setup {

SystemPath windowsDirectory() {
    return systemText("the Windows directory",
                      [](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
}

}  // namespace setup
