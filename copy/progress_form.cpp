#include "copy/progress_form.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "run/cleanup.h"
#include "run/failure_exit.h"
#include "run/files_in_use.h"
#include "run/update_planning.h"
#include "copy/progress_controls.h"
#include "platform/failure.h"
#include "platform/runtime.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"

namespace setup {

namespace {

/// Clears a flag when the scope ends, whichever way it ends.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& m_flag;
};

}  // namespace

void pauseAfterCopy() {
    volatile std::int32_t step = 1;
    while (step <= 1000000) {
        step = step + 1;
    }
}

ProgressForm::ProgressForm(Session& session, ProgressControls& controls)
    : m_session(session), m_controls(controls) {}

void ProgressForm::Form_Load() {
    Runtime& runtime = m_session.runtime;
    RunState& state = m_session.state;
    runtime.host().logEvent(L"D\u00E9compte des fichiers \u00E0 copier");
    std::vector<std::wstring> entries;
    forEachListEntry(runtime, state, [&](std::wstring& entry) {
        // Only what the copy acts on counts, so the bar and the percentage reach the end together.
        if (classifyEntry(entry) != EntryKind::File) return;
        countEntry(state.FileCount);
        entries.push_back(trimSpaces(entry));
    });
    runtime.host().logEvent(L"Fichiers \u00E0 copier : " + std::to_wstring(state.FileCount));
    planUpdate(m_session, std::move(entries));
}

void ProgressForm::Form_Activate() {
    // The copy lets pending messages through, which may activate the window again; that activation
    // must not start a second copy inside the first.
    if (m_activating) return;
    FlagGuard running(m_activating);
    try {
        copyEntries();
    } catch (const std::exception&) {
        reportFailureAndExit(m_session);
    }
}

void ProgressForm::copyEntries() {
    Runtime& runtime = m_session.runtime;
    RunState& state = m_session.state;
    runtime.host().processPendingMessages();
    if (state.FileCount != 0) {
        m_controls.setBarWidth(0.0f);
        runtime.host().logEvent(L"Copie des fichiers \u00E0 c\u00F4t\u00E9 de leur cible dans l'installation");
        std::int16_t copied = 0;
        forEachListEntry(runtime, state, [&](std::wstring& entry) {
            if (classifyEntry(entry) != EntryKind::File) return;
            entry = trimSpaces(entry);
            countEntry(copied);
            m_controls.setBarWidth(barWidth(copied, state.FileCount, m_controls.troughWidth()));
            m_controls.setPercentCaption(
                formatPercent(static_cast<float>(copied) / static_cast<float>(state.FileCount)));
            m_controls.setStatusCaption(L"Copie de : " + entry);
            m_controls.repaintPercent();
            m_controls.repaintStatus();
            // The plan has decided where each entry goes; the entries come in its order.
            state.update->stageEntry(static_cast<std::size_t>(copied) - 1);
            pauseAfterCopy();
        });
        // The last point where a cancel is answered: a Yes there ends the run with nothing changed.
        runtime.host().processPendingMessages();
    }
    // No installed file has changed so far; the finished state is shown once the files and the versions
    // are in place for good.
    if (state.update && !state.update->final()) {
        // A held file would fail a rename halfway through the commit: it is found before the first.
        waitUntilReplacedFilesAreFree(m_session);
        runtime.host().logEvent(L"Validation : les fichiers copi\u00E9s prennent la place des anciens");
        state.update->commit();
    }
    // The finished window shows the whole bar and "100%", also when there was nothing to copy.
    m_controls.setBarWidth(static_cast<float>(m_controls.troughWidth()));
    m_controls.setPercentCaption(formatPercent(1.0f));
    m_controls.setStatusCaption(L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s");
    m_controls.setButtonCaption(kFinishCaption);
    state.FileCount = 0;
}

void ProgressForm::Command1_Click() {
    if (m_controls.buttonCaption() == kFinishCaption) {
        m_controls.unload();
        return;
    }
    const int answer =
        m_session.runtime.host().messageBox(L"Etes-vous sur de vouloir annuler la mise \u00E0 jour ?",
                                     box::kQuestionYesNo, L"Interruption de la Mise \u00E0 jour...");
    if (answer == box::kYes) {
        m_session.runtime.host().logEvent(L"Mise \u00E0 jour annul\u00E9e pendant la copie");
        m_session.state.exitStatus = ExitStatus::Declined;
        CleanupAndExit(m_session);
    }
}

}  // namespace setup
