#pragma once

#include <memory>
#include <string>
#include <vector>

#include "run/windows.h"
#include "copy/progress_controls.h"
#include "copy/progress_form.h"

namespace setup {
struct Session;
}

namespace setup::test {

/// The main window without a screen: records what the run does to it.
class FakeMainWindow : public MainWindow {
  public:
    std::wstring caption() const override { return m_caption; }
    void setCaption(const std::wstring& caption) override;
    void maximise() override { events.push_back(L"maximise"); }
    void show() override { events.push_back(L"show"); }
    void PaintBackdrop() override { events.push_back(L"paint " + m_caption); }
    void unload() override { events.push_back(L"unload"); }

    /// Everything done to the window, in order.
    std::vector<std::wstring> events;

  private:
    std::wstring m_caption = L"Form1";
};

/// The progress window without a screen. Its modal show loads it (counting), activates it once (the
/// copy) and then presses its button until it is unloaded, like a user who clicks "&Terminer".
class FakeProgressWindow : public ProgressWindow, public ProgressControls {
  public:
    /// The run the window belongs to; set before the window is shown.
    void attach(Session& session) { m_session = &session; }

    void showModal() override;
    void unload() override;

    int troughWidth() const override { return kTroughWidth; }
    void setBarWidth(float twips) override { barWidths.push_back(twips); }
    void setPercentCaption(const std::wstring& caption) override;
    void setStatusCaption(const std::wstring& caption) override;
    std::wstring buttonCaption() const override { return m_button; }
    void setButtonCaption(const std::wstring& caption) override;
    void repaintPercent() override { events.push_back(L"repaint percent"); }
    void repaintStatus() override { events.push_back(L"repaint status"); }

    /// A press of the button, as a scripted user makes it.
    void press();
    /// An activation of the window, as the platform delivers it.
    void activate();

    bool loaded() const { return m_form != nullptr; }
    /// The percentage label as it reads now.
    const std::wstring& percentCaption() const { return m_percent; }

    static constexpr int kTroughWidth = 6090;
    /// Widths given to the bar, captions given to the labels and the button, and other events, in order.
    std::vector<float> barWidths;
    std::vector<std::wstring> percents;
    std::vector<std::wstring> statuses;
    std::vector<std::wstring> events;
    /// How many times the window was loaded.
    int loads = 0;
    /// Activations to deliver after the first one, before the button is pressed.
    int extraActivations = 0;

  private:
    Session* m_session = nullptr;
    std::unique_ptr<ProgressForm> m_form;
    std::vector<std::unique_ptr<ProgressForm>> m_unloaded;
    std::wstring m_percent = L"100%";
    std::wstring m_button = kCancelCaption;
};

}  // namespace setup::test
