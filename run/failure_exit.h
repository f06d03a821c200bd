#pragma once

namespace setup {

struct Session;

/// The failure branch shared by the update sequence and the copy: puts back what the update changed,
/// tells the user the update did not complete, then ends the run through CleanupAndExit with the failure
/// status.
[[noreturn]] void reportFailureAndExit(Session& session);

}  // namespace setup
