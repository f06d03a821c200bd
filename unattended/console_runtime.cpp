#include "unattended/console_runtime.h"

#include <cstdio>
#include <cstdlib>

#include "platform/failure.h"

namespace setup {

int ConsoleRuntime::messageBox(const std::wstring&, int, const std::wstring&) {
    throw Failure("a quiet run has no screen for a message box");
}

void ConsoleRuntime::endProgram(int exitStatus) {
    closeAll();
    std::fflush(nullptr);
    // As in the windowed programs: nothing is left to destroy that the system does not release itself, and
    // the progress line's thread may still be waiting.
    std::_Exit(exitStatus);
}

}  // namespace setup
