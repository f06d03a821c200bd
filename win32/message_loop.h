#pragma once

#include <windows.h>

namespace setup {

/// A window shown modally that sees the program's messages before they are dispatched, and that runs its
/// event handlers from the loop rather than from inside the system's window procedures, so that a
/// handler's exception travels through the program's own frames only.
class ModalWindow {
  public:
    virtual ~ModalWindow() = default;
    /// Takes a keystroke meant for the window (its access keys, Enter, Escape); true when it was taken.
    virtual bool preTranslate(const MSG& message) = 0;
    /// Runs the handlers of the events received since the last call, in order; may throw.
    virtual void runPendingEvents() = 0;
    /// The window's handle.
    virtual HWND handle() const = 0;
};

/// The program's message handling: the main window, the modal window served now, and the loops.
class MessageLoop {
  public:
    /// The window that owns message boxes while no modal window is shown.
    void setMainWindow(HWND window) { m_mainWindow = window; }
    /// Makes `window` (or none) the modal window the loops serve; answers the previous one.
    ModalWindow* setModalWindow(ModalWindow* window);
    /// The owner of a message box: the modal window when one is shown, else the main window (null once
    /// destroyed).
    HWND messageBoxOwner() const;
    /// Paints at once what a closed window uncovered on the main window, without handling other messages.
    void repaintMainWindow() const;

    /// Offers `message` to the modal window, translates and dispatches it, then runs the modal window's
    /// pending events.
    void handle(MSG& message);
    /// Handles every message already queued, then returns. A quit message is put back for the outer loop.
    void handlePending();

  private:
    HWND m_mainWindow = nullptr;
    ModalWindow* m_modal = nullptr;
};

}  // namespace setup
