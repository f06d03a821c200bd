#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <memory>
#include <string>

#include "copy/progress_controls.h"
#include "run/progress_layout.h"
#include "win32/gdi.h"
#include "win32/message_loop.h"

namespace setup {

class ProgressForm;
struct Session;

/// The progress window: status label, trough with percentage and bar, and the button. Its events go to
/// the copy's handlers (ProgressForm), run from the message loop; it draws what they set.
class Form2 final : public ProgressControls, public ModalWindow {
  public:
    /// Creates the window hidden, centred on the screen, above `owner`.
    Form2(Session& session, HWND owner);
    ~Form2() override;
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    /// The handlers this window forwards its events to.
    ProgressForm& handlers() { return *m_handlers; }

    /// Shows the window, disables its owner and runs the window's loop until it is unloaded. A handler's
    /// exception ends the loop (the owner enabled again) and reaches the caller.
    void runModal(MessageLoop& loop);

    int troughWidth() const override;
    void setBarWidth(float twips) override;
    void setPercentCaption(const std::wstring& caption) override;
    void setStatusCaption(const std::wstring& caption) override;
    std::wstring buttonCaption() const override;
    void setButtonCaption(const std::wstring& caption) override;
    void repaintPercent() override;
    void repaintStatus() override;
    /// Ends the modal loop and hides the window; its owner destroys it once the loop has returned.
    void unload() override;

    /// True once unload has run.
    bool isUnloaded() const { return m_unloaded; }

    /// Makes the finished window press its own button `delay` after the copy has finished, for a run
    /// nobody watches.
    void closeWhenFinished(std::chrono::milliseconds delay) { m_closeDelay = delay; }

    bool preTranslate(const MSG& message) override;
    void runPendingEvents() override;
    HWND handle() const override { return m_window; }

    /// The controls, by their names.
    HWND label2() const { return m_label2; }
    HWND picture1() const { return m_picture1; }
    HWND command1() const { return m_command1; }
    /// Width of the bar Image1, in pixels.
    int barPixels() const { return m_barPixels; }
    /// The text of the percentage label Label1.
    const std::wstring& percentCaption() const { return m_percent; }
    /// The text of the status label Label2.
    std::wstring statusCaption() const;

  private:
    enum class Event { Activate, ActivateIfNeverActivated, Click };

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK troughProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void paintTrough();
    void activate();
    /// Enables the owner again, before the window goes, so that the owner becomes the active window.
    void releaseOwner();
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    RECT toPixels(const form2_layout::TwipsRect& rect) const;
    HWND createControl(const wchar_t* className, const wchar_t* text, DWORD style, DWORD extendedStyle,
                       const form2_layout::TwipsRect& place, HWND parent);

    std::unique_ptr<ProgressForm> m_handlers;
    ScreenDpi m_dpi;
    HWND m_owner = nullptr;
    HWND m_window = nullptr;
    HWND m_label2 = nullptr;
    HWND m_picture1 = nullptr;
    HWND m_command1 = nullptr;
    GdiObject<HFONT> m_windowFont;
    GdiObject<HFONT> m_percentFont;
    GdiObject<HBITMAP> m_barPicture;
    std::wstring m_percent = L"100%";
    int m_barPixels = 0;
    std::deque<Event> m_events;
    bool m_ownerDisabled = false;
    bool m_activated = false;
    bool m_unloaded = false;
    std::chrono::milliseconds m_closeDelay{0};
    bool m_closeScheduled = false;
};

}  // namespace setup
