#pragma once

#include <string>
#include <vector>

namespace setup {

class Runtime;
struct RunState;
struct Session;

/// The names the copy copies, as it uses them, in the list's order.
std::vector<std::wstring> copiedNames(Runtime& runtime, RunState& state);

/// Checks the update's files against its seal, when it has one, before anything in the installation
/// changes. On a problem: keeps the update folder, says which file is damaged, and ends the run through
/// CleanupAndExit with the failure status. Returns when there is no seal or every file matches it.
void stopOnDamagedUpdate(Session& session);

}  // namespace setup
