#include "unattended/console_host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/failure.h"

namespace setup {

int ConsoleHost::messageBox(const std::wstring&, int, const std::wstring&) {
    throw Failure("une ex\u00E9cution silencieuse n'a pas d'\u00E9cran pour une bo\u00EEte de message");
}

void ConsoleHost::endProgram(int exitStatus) {
    std::fflush(nullptr);
    // As in the windowed programs: nothing is left to destroy that the system does not release itself, and
    // the progress line's thread may still be waiting.
    std::_Exit(exitStatus);
}

}  // namespace setup
