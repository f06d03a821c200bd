#pragma once

#include <string>

namespace setup {

class ProgressControls;
struct Session;

/// Captions the progress window shows.
inline constexpr const wchar_t* kCancelCaption = L"&Annuler";
inline constexpr const wchar_t* kFinishCaption = L"&Terminer";

/// The three handlers of the progress window: counting on load, the copy on activation, the button.
class ProgressForm {
  public:
    ProgressForm(Session& session, ProgressControls& controls);

    /// Counts the file entries, those the copy acts on, into FileCount, and plans the update from them.
    /// Has no failure trap: a failure reaches the caller of the modal show.
    void Form_Load();
    /// Stages every file entry beside its target, commits them all into the installation once the last
    /// point where a cancel is answered has passed, then shows the finished state with a full bar and
    /// "100%". A failure shows
    /// its message and ends the run. A second activation while this one runs does nothing.
    void Form_Activate();
    /// Closes the finished window, or asks whether to cancel the update.
    void Command1_Click();

  private:
    void copyEntries();

    Session& m_session;
    ProgressControls& m_controls;
    bool m_activating = false;
};

/// The short pause after each copied file that lets the user follow the names going by: a busy count to
/// one million.
void pauseAfterCopy();

/// Text of the percentage label for a ratio: ratio x 100 rounded (halves away from zero), no leading
/// zeros, followed by "%"; a ratio that rounds to 0 shows "%" alone.
std::wstring formatPercent(float ratio);

/// Width of the bar for `done` of `total` entries on a trough of `troughWidth`, in single precision.
float barWidth(int done, int total, int troughWidth);

}  // namespace setup
