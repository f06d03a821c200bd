#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/box_message.h"

namespace setup {
class Runtime;
}

namespace setup::check {

/// What setup does first, at its start, with a journal that an interrupted run left in the installation.
enum class JournalAction {
    None,     ///< no journal: nothing to do
    Undo,     ///< an update stopped before it was final: its files and values are put back
    Finish,   ///< an update stopped during its cleanup, once final: its leftovers are removed
    Discard,  ///< a journal cut short before anything was staged: it is removed
    Reject,   ///< a journal setup does not act on: it stops with a box, the installation untouched
    Fail,     ///< what the journal names cannot be looked at: setup stops on the failure box
};

/// The journals at the installation's top and what setup would do with them.
struct PendingJournal {
    JournalAction action = JournalAction::None;
    std::vector<std::wstring> paths;  ///< the journals found, as program paths
    std::optional<BoxMessage> stop;   ///< the box with which setup stops (Reject)

    /// True when setup would stop at its start because of the journal.
    bool stops() const { return action == JournalAction::Reject || action == JournalAction::Fail; }
};

/// Follows setup's recovery of a journal left at the top of `installDir`, with the program's own engine
/// reading the installation through `runtime` and every change it would make left unmade.
PendingJournal pendingJournal(Runtime& runtime, const std::wstring& installDir);

}  // namespace setup::check
