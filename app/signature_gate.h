#pragma once

namespace setup {

struct Session;

/// Checks the update's signature against the installation's trust file, before anything in the
/// installation changes and once the stamp pass has found the versions. On a problem: keeps the update
/// folder, says why, and ends the run through CleanupAndExit (2 for an older version, else 3). When the
/// update is signed and accepted, hands the trust file to the commit, which writes it with the files.
/// Returns at once, changing nothing, for an unsigned update on an installation without a trust file.
void stopOnUntrustedUpdate(Session& session);

}  // namespace setup
