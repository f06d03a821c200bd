#pragma once

#include <string>
#include <vector>

#include "run/box_message.h"
#include "run/run_state.h"

namespace setup {

struct Session;

/// Ends the run before it has changed anything, keeping the update folder so the update can be run again:
/// shows `message`, exit status `status` (3, a failure, unless a check refused the update).
[[noreturn]] void stopKeepingUpdate(Session& session, const BoxMessage& message,
                                    ExitStatus status = ExitStatus::Failed);

/// Decides everything the update will touch, from the list's file entries (as the copy reads them, in
/// the list's order) and the stamps found, and
/// writes it in the journal before anything is staged. Ends the run when the update folder lies inside
/// the installation; throws Failure when the plan refuses an entry.
void planUpdate(Session& session, std::vector<std::wstring> fileEntries);

}  // namespace setup
