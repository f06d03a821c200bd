#include "check/quiet_runtime.h"

#include "platform/failure.h"

namespace setup::check {

int QuietRuntime::messageBox(const std::wstring&, int, const std::wstring&) {
    throw Failure("the checker shows no message box");
}

void QuietRuntime::endProgram(int) { throw Failure("the checker never ends the program"); }

}  // namespace setup::check
