#pragma once

namespace setup {

struct Session;

/// Checks the update's files against its seal, when it has one, before anything in the installation
/// changes. On a problem: keeps the update folder, says which file is damaged, and ends the run through
/// CleanupAndExit with the failure status. Returns when there is no seal or every file matches it.
void stopOnDamagedUpdate(Session& session);

}  // namespace setup
