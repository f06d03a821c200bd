#include "app/update_sequence.h"

#include <exception>

#include "app/cleanup.h"
#include "app/failure_exit.h"
#include "app/seal_gate.h"
#include "platform/runtime.h"
#include "registry/path_routines.h"
#include "registry/product_registry.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/windows.h"

namespace setup {

namespace {

/// Reads the list up to its first ";" entry and makes the caption from it.
std::wstring readCaption(Runtime& runtime, RunState& state) {
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        if (startsWith(state.CurrentLine, kRemarkMarker)) break;
    }
    runtime.close(state.ListFileNumber);
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
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        runPreCopyTests(state.CurrentLine, directives);
    }
    runtime.close(state.ListFileNumber);
}

void stampVersions(Runtime& runtime, RunState& state, Directives& directives) {
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        runStampTest(state.CurrentLine, directives);
    }
    runtime.close(state.ListFileNumber);
}

[[noreturn]] void runUpdate(Session& session, Directives& directives) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    MainWindow& form1 = session.form1;

    form1.setCaption(readCaption(runtime, state));
    form1.maximise();
    showAndPaint(form1);

    state.InstallDir = ReadProfileValue(kRegistryReadName, kDefaultProduct, L"Path");
    // A Path whose folder is gone names no installation; the copy would otherwise build one from nothing.
    if (state.InstallDir.empty() || !runtime.folderExists(state.InstallDir)) {
        state.exitStatus = ExitStatus::Refused;
        const BoxMessage message = notInstalledMessage();
        runtime.messageBox(message.text, message.style, message.title);
        CleanupAndExit(session);
    }
    state.InstallDir = WithTrailingBackslash(state.InstallDir);
    // A journal left by a run that was stopped is carried out before anything else looks at the
    // installation.
    if (recoverInterruptedUpdate(runtime, state.InstallDir)) {
        runtime.messageBox(kRecoveredText, box::kInformation, kRecoveredTitle);
    }
    showAndPaint(form1);

    runPreCopyDirectives(runtime, state, directives);
    // The last warning of the list is repeated just before the question, so it is the one the user
    // reads last.
    if (startsWith(state.CurrentLine, kWarningMarker)) {
        const BoxMessage message = warningMessage(state.CurrentLine);
        runtime.messageBox(message.text, message.style, message.title);
    }

    const int answer = runtime.messageBox(L"Voulez-vous effectuer la mise \u00E0 jour ?",
                                          box::kQuestionOkCancel, form1.caption());
    if (answer != box::kOk) {
        state.exitStatus = ExitStatus::Declined;
        CleanupAndExit(session);
    }
    stopOnDamagedUpdate(session);
    form1.show();
    runtime.processPendingMessages();
    session.form2.showModal();
    stampVersions(runtime, state, directives);
    state.update.finish(runtime);
    state.exitStatus = ExitStatus::Applied;
    CleanupAndExit(session);
}

}  // namespace

BoxMessage warningMessage(const std::wstring& entry) {
    return {L"Attention : " + entry.substr(1), L"Mise en Garde", box::kExclamation};
}

BoxMessage notInstalledMessage() {
    return {
        L"Le logiciel Kelvane ne semble pas install\u00E9 sur cette machine. Veuillez r\u00E9installer "
        L"Kelvane de fa\u00E7on compl\u00E8te avant de relancer cette installation",
        L"Erreur: Kelvane non install\u00E9", box::kCritical};
}

void runPreCopyTests(std::wstring& entry, Directives& directives) {
    if (startsWith(entry, kWarningMarker)) directives.alert(entry);
    if (startsWith(entry, kVersionRangeMarker)) directives.Version(entry);
    if (startsWith(entry, kRequiredFileMarker)) directives.exist(entry);
}

void runStampTest(std::wstring& entry, Directives& directives) {
    if (startsWith(entry, kVersionStampMarker)) directives.SetVer(entry);
}

void Form_Load(Session& session, Directives& directives) {
    try {
        runUpdate(session, directives);
    } catch (const std::exception&) {
        reportFailureAndExit(session);
    }
}

}  // namespace setup
