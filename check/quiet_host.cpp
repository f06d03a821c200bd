#include "check/quiet_host.h"

#include "platform/failure.h"

namespace setup::check {

int QuietHost::messageBox(const std::wstring&, int, const std::wstring&) {
    throw Failure("the checker shows no message box");
}

void QuietHost::endProgram(int) { throw Failure("the checker never ends the program"); }

}  // namespace setup::check
