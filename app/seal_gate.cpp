#include "app/seal_gate.h"

#include <string>
#include <vector>

#include "run/update_planning.h"
#include "platform/runtime.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"

namespace setup {

namespace {

/// The names the copy copies, as it uses them, in the list's order.
std::vector<std::wstring> copiedNames(Runtime& runtime, RunState& state) {
    std::vector<std::wstring> names;
    forEachListEntry(runtime, state, [&](std::wstring& entry) {
        if (classifyEntry(entry) == EntryKind::File) names.push_back(trimSpaces(entry));
    });
    return names;
}

}  // namespace

void stopOnDamagedUpdate(Session& session) {
    Runtime& runtime = session.runtime;
    const std::optional<SealProblem> problem =
        firstSealProblem(runtime.host().programDirectory(), copiedNames(runtime, session.state));
    // The update may be fetched again over this folder, or its author may look at it.
    if (problem) stopKeepingUpdate(session, sealProblemMessage(*problem));
}

}  // namespace setup
