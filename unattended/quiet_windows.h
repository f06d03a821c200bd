#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "copy/progress_controls.h"
#include "copy/progress_form.h"
#include "run/windows.h"

namespace setup {

struct CopyProgress;
struct Session;

/// The main window of a quiet run: it keeps its caption (the confirmation's title) and draws nothing.
class QuietMainWindow final : public MainWindow {
  public:
    std::wstring caption() const override { return m_caption; }
    void setCaption(const std::wstring& caption) override { m_caption = caption; }
    void maximise() override {}
    void show() override {}
    void PaintBackdrop() override {}
    void unload() override {}

  private:
    std::wstring m_caption;
};

/// The progress window of a quiet run: its modal show runs the copy's handlers as the window would
/// (counting on load, the copy on activation, then "&Terminer"), and a progress line goes to a script
/// about every second meanwhile.
class QuietProgressWindow final : public ProgressWindow, public ProgressControls {
  public:
    /// `progress` is counted by the run's runtime; `writeLine` takes the progress lines.
    QuietProgressWindow(CopyProgress& progress, std::function<void(std::wstring_view)> writeLine);
    ~QuietProgressWindow() override;

    /// The run the window belongs to; the Session holds this window, so it comes after construction.
    void attach(Session& session) { m_session = &session; }

    /// Counts, copies with the progress line running, then closes the finished window. Throws Failure when
    /// the counting fails (the caller's trap handles it) or when the copy ends without finishing.
    void showModal() override;
    void unload() override;

    int troughWidth() const override { return kTroughWidth; }
    void setBarWidth(float) override {}
    void setPercentCaption(const std::wstring&) override {}
    void setStatusCaption(const std::wstring&) override {}
    std::wstring buttonCaption() const override { return m_button; }
    void setButtonCaption(const std::wstring& caption) override { m_button = caption; }
    void repaintPercent() override {}
    void repaintStatus() override {}

    /// The trough's width in twips, as the real window has it.
    static constexpr int kTroughWidth = 6090;

  private:
    CopyProgress& m_progress;
    std::function<void(std::wstring_view)> m_writeLine;
    Session* m_session = nullptr;
    std::unique_ptr<ProgressForm> m_form;
    // A handler may still be running when the window unloads; it is destroyed with the window.
    std::unique_ptr<ProgressForm> m_unloaded;
    std::wstring m_button = kCancelCaption;
};

/// The bytes of the files the update list names for copying, as they stand in the update folder
/// `programDirectory`; a file that cannot be measured counts 0, and a list that cannot be read has none.
std::uint64_t bytesToCopy(const std::wstring& programDirectory);

}  // namespace setup
