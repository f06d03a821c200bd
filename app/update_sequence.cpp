#include "app/update_sequence.h"

#include <exception>
#include <memory>
#include <vector>

#include "app/cleanup.h"
#include "app/failure_exit.h"
#include "app/seal_gate.h"
#include "app/update_start.h"
#include "platform/failure.h"
#include "platform/runtime.h"
#include "registry/path_routines.h"
#include "registry/product_registry.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/windows.h"
#include "staging/staged_update.h"

namespace setup {

namespace {

/// Reads the list up to its first ";" entry and makes the caption from it.
std::wstring readCaption(Runtime& runtime, RunState& state) {
    runtime.host().logEvent(L"Lecture du titre de la liste");
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
    runtime.host().logEvent(L"Lecture des avertissements et des v\u00E9rifications");
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        runPreCopyTests(state.CurrentLine, directives);
    }
    runtime.close(state.ListFileNumber);
}

/// The stamp pass: the versions go to the commit, which records them once the files are in place.
void findStamps(Runtime& runtime, RunState& state, Directives& directives) {
    runtime.host().logEvent(L"Lecture des versions \u00E0 inscrire");
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

    // The update folder is held from the start: the cleanup deletes its files through it.
    runtime.files().holdFolder(runtime.host().programDirectory());
    form1.setCaption(readCaption(runtime, state));
    runtime.host().logEvent(L"Liste : " + updateListPath(runtime) + L" ; titre : \u00AB " + form1.caption() +
                     L" \u00BB");
    form1.maximise();
    showAndPaint(form1);

    state.InstallDir = ReadProfileValue(kRegistryReadName, kDefaultProduct, L"Path");
    // A Path whose folder is gone names no installation; the copy would otherwise build one from nothing.
    if (state.InstallDir.empty() || !runtime.folderExists(state.InstallDir)) {
        state.exitStatus = ExitStatus::Refused;
        runtime.host().logEvent(L"Installation introuvable : le registre nomme le dossier \u00AB " +
                         state.InstallDir + L" \u00BB, qui n'existe pas");
        const BoxMessage message = notInstalledMessage();
        runtime.host().messageBox(message.text, message.style, message.title);
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

    const int answer = runtime.host().messageBox(L"Voulez-vous effectuer la mise \u00E0 jour ?",
                                          box::kQuestionOkCancel, form1.caption());
    if (answer != box::kOk) {
        state.exitStatus = ExitStatus::Declined;
        CleanupAndExit(session);
    }
    stopOnDamagedUpdate(session);
    findStamps(runtime, state, directives);
    form1.show();
    runtime.host().processPendingMessages();
    // The progress window plans the update, stages its files and commits them with the versions.
    session.form2.showModal();
    if (state.update) state.update->finish();
    runtime.host().logEvent(L"Mise \u00E0 jour termin\u00E9e : les fichiers et les versions sont en place");
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

BoxMessage installationLockedMessage() {
    return {
        L"Une autre mise \u00E0 jour de Kelvane est en cours sur cette machine. Veuillez attendre "
        L"qu'elle se termine, puis relancer celle-ci.",
        L"Mise \u00E0 jour de Kelvane en cours", box::kExclamation};
}

BoxMessage foreignLockFileMessage() {
    return {
        L"Le fichier de verrou .setup-lock de l'installation de Kelvane n'est pas un fichier ordinaire du "
        L"programme : la mise \u00E0 jour n'a pas \u00E9t\u00E9 lanc\u00E9e et rien n'a \u00E9t\u00E9 "
        L"modifi\u00E9. Veuillez retirer ce fichier de l'installation, puis relancer la mise \u00E0 jour.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage rejectedJournalMessage(const std::wstring& path, const std::wstring& reason) {
    return {
        L"L'installation de Kelvane contient le journal d'une mise \u00E0 jour pr\u00E9c\u00E9dente que "
        L"le programme ne peut pas reprendre : " +
            path + L" (" + reason +
            L"). Rien n'a \u00E9t\u00E9 "
            L"modifi\u00E9. Veuillez examiner ce fichier et les fichiers qu'il nomme, puis le retirer de "
            L"l'installation avant de relancer la mise \u00E0 jour.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage updateInsideInstallationMessage() {
    return {
        L"Cette mise \u00E0 jour se trouve dans le dossier d'installation de Kelvane, ou le contient : "
        L"elle n'a pas \u00E9t\u00E9 appliqu\u00E9e et rien n'a \u00E9t\u00E9 modifi\u00E9. Veuillez "
        L"copier la mise \u00E0 jour dans un dossier \u00E0 part, puis la relancer depuis ce dossier.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
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
