#pragma once

#include "run/list_checks.h"

namespace setup {

struct Session;

/// The load handler of the main window: the whole update, from the title to the end of the program.
/// Never returns.
[[noreturn]] void Form_Load(Session& session, Directives& directives);

}  // namespace setup
