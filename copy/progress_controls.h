#pragma once

#include <string>

namespace setup {

/// The controls of the progress window that the copy drives. Widths are in twips.
class ProgressControls {
  public:
    virtual ~ProgressControls() = default;
    /// Width of the trough (the bar's full length), in twips.
    virtual int troughWidth() const = 0;
    /// Width of the bar, in twips.
    virtual void setBarWidth(float twips) = 0;
    /// The percentage label inside the trough.
    virtual void setPercentCaption(const std::wstring& caption) = 0;
    /// The status line above the trough.
    virtual void setStatusCaption(const std::wstring& caption) = 0;
    /// The button's caption, which is also the window's state: "&Annuler", then "&Terminer".
    virtual std::wstring buttonCaption() const = 0;
    virtual void setButtonCaption(const std::wstring& caption) = 0;
    /// Repaints the percentage label, then the status label, at once.
    virtual void repaintPercent() = 0;
    virtual void repaintStatus() = 0;
    /// Destroys the window; its modal show returns.
    virtual void unload() = 0;
};

}  // namespace setup
