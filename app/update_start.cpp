#include "app/update_start.h"

#include <memory>

#include "run/cleanup.h"
#include "run/product_registry_values.h"
#include "run/messages.h"
#include "run/update_planning.h"
#include "platform/failure.h"
#include "platform/held_files.h"
#include "platform/installation_lock.h"
#include "platform/runtime.h"
#include "run/run_state.h"
#include "run/session.h"
#include "staging/staged_update.h"

namespace setup {

/// Takes the installation for this run and carries out what an interrupted run left, before anything
/// else looks at the installation.
void takeInstallation(Session& session) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    bool locked = false;
    try {
        locked = runtime.lockInstallation(state.InstallDir);
    } catch (const ForeignLockFile&) {
        // Whatever stands at the lock file's name is someone else's: the run leaves it, and everything
        // else, as it found it.
        stopKeepingUpdate(session, foreignLockFileMessage());
    }
    if (!locked) {
        runtime.host().installationBusy();
        stopKeepingUpdate(session, installationLockedMessage());
    }
    // From here on every change inside the installation is made through the folder opened now.
    runtime.files().holdFolder(state.InstallDir);
    runtime.host().logEvent(
        systemRefusesPlantedLinks()
            ? L"Le syst\u00E8me refuse lui aussi les liens plant\u00E9s par un autre utilisateur"
            : L"Le syst\u00E8me ne refuse pas de lui-m\u00EAme les liens plant\u00E9s par un autre "
              L"utilisateur : seuls les dossiers tenus ouverts par le programme les \u00E9cartent");
    state.registry = std::make_unique<ProductRegistryValues>();
    Recovery recovery = Recovery::None;
    try {
        recovery = recoverInterruptedUpdate(runtime.files(), *state.registry, state.InstallDir,
                                            [&](const std::wstring& event) { runtime.host().logEvent(event); });
    } catch (const RejectedJournal& journal) {
        stopKeepingUpdate(session, rejectedJournalMessage(journal.path(), journal.reason()));
    }
    if (recovery == Recovery::RolledBack)
        runtime.host().messageBox(kRecoveredText, box::kInformation, kRecoveredTitle);
}

}  // namespace setup
