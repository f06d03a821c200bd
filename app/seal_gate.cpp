#include "app/seal_gate.h"

#include <string>
#include <vector>

#include "platform/runtime.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/update_planning.h"
#include "seal/seal_check.h"
#include "seal/seal_format.h"

namespace setup {

std::vector<std::wstring> copiedNames(Runtime& runtime, RunState& state) {
    std::vector<std::wstring> names;
    forEachListEntry(runtime, state, [&](std::wstring& entry) {
        if (classifyEntry(entry) == EntryKind::File) names.push_back(trimSpaces(entry));
    });
    return names;
}

void stopOnDamagedUpdate(Session& session) {
    Runtime& runtime = session.runtime;
    const SealedContents sealed =
        sealedContents(runtime.host().programDirectory(), copiedNames(runtime, session.state));
    // The update may be fetched again over this folder, or its author may look at it.
    if (sealed.problem) stopKeepingUpdate(session, sealProblemMessage(*sealed.problem));
    // The bytes themselves are compared as they are staged, the one time they are read.
    for (const SealedContent& file : sealed.files)
        session.state.expectedContents[sealNameKey(file.name)] = {file.name, file.digest, file.size};
}

}  // namespace setup
