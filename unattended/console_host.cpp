#include "unattended/console_host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/failure.h"

namespace setup {

int ConsoleHost::messageBox(const std::wstring&, int, const std::wstring&) {
    throw Failure("a quiet run has no screen for a message box");
}

void ConsoleHost::endProgram(int exitStatus) {
    std::fflush(nullptr);
    // As in the windowed programs: nothing is left to destroy that the system does not release itself, and
    // the progress line's thread may still be waiting.
    std::_Exit(exitStatus);
}

}  // namespace setup
