#pragma once

namespace setup {

struct Session;

/// Takes the installation for this run (the lock) and carries out what an interrupted run left, before
/// anything else looks at the installation. Ends the run when another run holds it or a journal is
/// rejected.
void takeInstallation(Session& session);

}  // namespace setup
