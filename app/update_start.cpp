#include "app/update_start.h"

#include <memory>
#include <utility>
#include <vector>

#include "app/cleanup.h"
#include "app/runtime_staging_files.h"
#include "app/update_sequence.h"
#include "platform/failure.h"
#include "platform/runtime.h"
#include "run/run_state.h"
#include "run/session.h"
#include "staging/staged_update.h"

namespace setup {

[[noreturn]] void stopKeepingUpdate(Session& session, const BoxMessage& message) {
    session.state.exitStatus = ExitStatus::Failed;
    session.state.keepUpdateFolder = true;
    session.runtime.messageBox(message.text, message.style, message.title);
    CleanupAndExit(session);
}

/// Takes the installation for this run and carries out what an interrupted run left, before anything
/// else looks at the installation.
void takeInstallation(Session& session) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    if (!runtime.lockInstallation(state.InstallDir)) stopKeepingUpdate(session, installationLockedMessage());
    state.files = std::make_unique<RuntimeStagingFiles>(runtime);
    state.registry = std::make_unique<ProductRegistryValues>();
    Recovery recovery = Recovery::None;
    try {
        recovery = recoverInterruptedUpdate(*state.files, *state.registry, state.InstallDir,
                                            [&](const std::wstring& event) { runtime.logEvent(event); });
    } catch (const RejectedJournal& journal) {
        stopKeepingUpdate(session, rejectedJournalMessage(journal.path(), journal.reason()));
    }
    if (recovery == Recovery::RolledBack)
        runtime.messageBox(kRecoveredText, box::kInformation, kRecoveredTitle);
}

/// Decides everything the update will touch and writes it in the journal, before anything is staged.
void planUpdate(Session& session, std::vector<std::wstring> fileEntries) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    if (!state.files) state.files = std::make_unique<RuntimeStagingFiles>(runtime);
    if (!state.registry) state.registry = std::make_unique<ProductRegistryValues>();
    PlanInput input{runtime.programDirectory(), state.InstallDir, std::move(fileEntries), state.stamps};
    UpdatePlan plan = makeUpdatePlan(*state.files, input);
    if (plan.keepsUpdateFolder()) stopKeepingUpdate(session, updateInsideInstallationMessage());
    if (!plan.accepted()) throw Failure("the update's plan refuses an entry");
    state.update =
        std::make_unique<StagedUpdate>(*state.files, *state.registry, std::move(plan),
                                       [&runtime](const std::wstring& event) { runtime.logEvent(event); });
    state.update->begin();
}

}  // namespace setup
