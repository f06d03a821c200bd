#include "unattended/quiet_windows.h"

#include "platform/entry_reader.h"
#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/file_probe.h"
#include "platform/path_mapping.h"
#include "platform/program_files.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "unattended/copy_progress.h"

namespace setup {

QuietProgressWindow::QuietProgressWindow(CopyProgress& progress,
                                         std::function<void(std::wstring_view)> writeLine)
    : m_progress(progress), m_writeLine(std::move(writeLine)) {}

QuietProgressWindow::~QuietProgressWindow() = default;

void QuietProgressWindow::showModal() {
    if (m_session == nullptr) throw Failure("fen\u00EAtre de progression affich\u00E9e sans ex\u00E9cution");
    m_form = std::make_unique<ProgressForm>(*m_session, *this);
    m_button = kCancelCaption;
    try {
        m_form->Form_Load();
    } catch (...) {
        m_form.reset();
        throw;
    }
    m_progress.filesTotal = m_session->state.FileCount;
    m_progress.bytesTotal = bytesToCopy(m_session->runtime.host().programDirectory());
    ProgressTicker ticker(m_progress, m_writeLine);
    ticker.start();
    m_form->Form_Activate();
    ticker.finish();
    // Nobody is there to answer whether to cancel: the button is pressed only once it reads "&Terminer".
    if (m_button != kFinishCaption) throw Failure("la copie s'est arr\u00EAt\u00E9e avant la fin");
    m_form->Command1_Click();
}

void QuietProgressWindow::unload() { m_unloaded = std::move(m_form); }

std::uint64_t bytesToCopy(const std::wstring& programDirectory) {
    std::uint64_t total = 0;
    try {
        EntryReader reader(readWholeFile(mapPath(programDirectory + L"\\" + kUpdateListName)));
        while (!reader.atEnd()) {
            const std::wstring entry = withoutTrailingSpaces(reader.next());
            if (classifyEntry(entry) != EntryKind::File) continue;
            total += regularFileSize(mapPath(programDirectory + L"\\" + trimSpaces(entry))).value_or(0);
        }
    } catch (const std::exception&) {
        // The total only scales the progress line; the copy itself reports what it cannot read.
    }
    return total;
}

}  // namespace setup
