#include "check/pending_journal.h"

#include <exception>

#include "check/read_only_staging.h"
#include "platform/path_text.h"
#include "run/messages.h"
#include "staging/staged_update.h"

namespace setup::check {

PendingJournal pendingJournal(Runtime& runtime, const std::wstring& installDir) {
    ReadOnlyStagingFiles files(runtime);
    ReadOnlyRegistryValues registry;
    PendingJournal pending;
    try {
        files.holdFolder(installDir);
        const std::wstring root = withoutTrailingSeparators(files.spell(installDir));
        for (const wchar_t* name : {kJournalName, kFinalJournalName}) {
            const std::wstring path = joinPath(root, name);
            if (files.kindOf(path) != NodeKind::Missing) pending.paths.push_back(path);
        }
        if (pending.paths.empty()) return pending;
        // The engine decides, on the journal's own checks, exactly as at setup's start; only its changes
        // are left out.
        switch (recoverInterruptedUpdate(files, registry, installDir)) {
            case Recovery::RolledBack:
                pending.action = JournalAction::Undo;
                break;
            case Recovery::Completed:
                pending.action = JournalAction::Finish;
                break;
            case Recovery::None:
                pending.action = JournalAction::Discard;
                break;
        }
    } catch (const RejectedJournal& journal) {
        pending.action = JournalAction::Reject;
        pending.stop = rejectedJournalMessage(journal.path(), journal.reason());
    } catch (const std::exception&) {
        pending.action = JournalAction::Fail;
    }
    return pending;
}

}  // namespace setup::check
