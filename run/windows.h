#pragma once

#include <string>

namespace setup {

/// The main window as the update sequence drives it.
class MainWindow {
  public:
    virtual ~MainWindow() = default;
    /// The window's caption (the update's title once set).
    virtual std::wstring caption() const = 0;
    virtual void setCaption(const std::wstring& caption) = 0;
    /// Sets the window state to maximised: it then covers the whole screen.
    virtual void maximise() = 0;
    /// Shows the window modeless; it is visible at once.
    virtual void show() = 0;
    /// Paints the gradient backdrop with the caption, the maker line and the logo.
    virtual void PaintBackdrop() = 0;
    /// Destroys the window.
    virtual void unload() = 0;
};

/// The progress window as its owner sees it.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    /// Loads the window (its counting runs then and may throw), shows it modally and returns once it has
    /// been unloaded.
    virtual void showModal() = 0;
    /// Destroys the window if it is loaded; a window that is not loaded stays so and none of its
    /// handlers runs.
    virtual void unload() = 0;
};

}  // namespace setup
