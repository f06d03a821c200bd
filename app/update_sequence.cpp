#include "app/update_sequence.h"

#include <exception>
#include <memory>
#include <vector>

#include "app/seal_gate.h"
#include "app/signature_gate.h"
#include "app/update_start.h"
#include "platform/failure.h"
#include "platform/path_text.h"
#include "platform/quoting.h"
#include "platform/runtime.h"
#include "registry/product_registry.h"
#include "run/cleanup.h"
#include "run/failure_exit.h"
#include "run/files_in_use.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/stop_message.h"
#include "run/update_list.h"
#include "run/windows.h"
#include "staging/staged_update.h"

namespace setup {

namespace {

/// Reads the list up to its first ";" entry and makes the caption from it.
std::wstring readCaption(Runtime& runtime, RunState& state) {
    runtime.host().logEvent(L"Lecture du titre de la liste");
    forEachListEntryUntil(runtime, state,
                          [](std::wstring& entry) { return !startsWith(entry, kRemarkMarker); });
    if (startsWith(state.CurrentLine, kRemarkMarker)) return state.CurrentLine.substr(1);
    return kDefaultCaption;
}

void showAndPaint(MainWindow& form1) {
    form1.show();
    form1.PaintBackdrop();
}

/// Runs the warnings and checks that come before the confirmation. Each test looks at CurrentLine as the
/// previous directive left it.
void runPreCopyDirectives(Runtime& runtime, RunState& state, Directives& directives) {
    runtime.host().logEvent(L"Lecture des avertissements et des v\u00E9rifications");
    forEachListEntry(runtime, state, [&](std::wstring& entry) { runPreCopyTests(entry, directives); });
}

/// The stamp pass: the versions go to the commit, which records them once the files are in place.
void findStamps(Runtime& runtime, RunState& state, Directives& directives) {
    runtime.host().logEvent(L"Lecture des versions \u00E0 inscrire");
    forEachListEntry(runtime, state, [&](std::wstring& entry) { runStampTest(entry, directives); });
}

[[noreturn]] void runUpdate(Session& session, Directives& directives) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    MainWindow& form1 = session.form1;

    // The update folder is held from the start: the cleanup deletes its files through it.
    runtime.files().holdFolder(runtime.host().programDirectory());
    form1.setCaption(readCaption(runtime, state));
    runtime.host().logEvent(L"Liste : " + updateListPath(runtime) + L" ; titre : " +
                            guillemets(form1.caption()));
    form1.maximise();
    showAndPaint(form1);

    state.InstallDir = ReadProfileValue(kRegistryReadName, kDefaultProduct, L"Path");
    // A Path whose folder is gone names no installation; the copy would otherwise build one from nothing.
    if (state.InstallDir.empty() || !runtime.folderExists(state.InstallDir)) {
        state.exitStatus = ExitStatus::Refused;
        runtime.host().logEvent(L"Installation introuvable : le registre nomme le dossier \u00AB " +
                                state.InstallDir + L" \u00BB, qui n'existe pas");
        showStopMessage(runtime.host(), notInstalledMessage());
        CleanupAndExit(session);
    }
    state.InstallDir = WithTrailingBackslash(state.InstallDir);
    runtime.host().logEvent(L"Installation trouv\u00E9e : " + state.InstallDir);
    takeInstallation(session);
    showAndPaint(form1);

    runPreCopyDirectives(runtime, state, directives);
    // The last warning of the list is repeated just before the question, so it is the one the user
    // reads last.
    if (startsWith(state.CurrentLine, kWarningMarker)) {
        const BoxMessage message = warningMessage(state.CurrentLine);
        runtime.host().messageBox(message.text, message.style, message.title);
    }

    const int answer = runtime.host().messageBox(kConfirmationText, box::kQuestionOkCancel, form1.caption());
    if (answer != box::kOk) {
        state.exitStatus = ExitStatus::Declined;
        CleanupAndExit(session);
    }
    stopOnDamagedUpdate(session);
    findStamps(runtime, state, directives);
    stopOnUntrustedUpdate(session);
    form1.show();
    runtime.host().processPendingMessages();
    // The progress window plans the update, stages its files and commits them with the versions.
    session.form2.showModal();
    // Named while the old content still has its name; the finish removes it.
    logProgramsHoldingOldContent(session);
    if (state.update) state.update->finish();
    runtime.host().logEvent(L"Mise \u00E0 jour termin\u00E9e : les fichiers et les versions sont en place");
    state.exitStatus = ExitStatus::Applied;
    CleanupAndExit(session);
}

}  // namespace

void Form_Load(Session& session, Directives& directives) {
    try {
        runUpdate(session, directives);
    } catch (const std::exception&) {
        reportFailureAndExit(session);
    }
}

}  // namespace setup
