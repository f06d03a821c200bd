#pragma once

#include <chrono>
#include <memory>

#include "run/windows.h"

namespace setup {

class Form2;
class MessageLoop;
struct Session;

/// The progress window as the update sequence shows it: creates Form2 on a modal show, runs its counting
/// before the modal loop, and destroys it once unloaded.
class ProgressHost final : public ProgressWindow {
  public:
    /// `loop` serves the window while it is shown; its main window owns it.
    explicit ProgressHost(MessageLoop& loop);
    ~ProgressHost() override;

    /// The run the window belongs to; the Session holds this host, so it comes after construction.
    void setSession(Session& session);

    /// Creates the window, counts (a failure of the counting discards the window and reaches the caller),
    /// then runs the modal loop until the window is unloaded.
    void showModal() override;
    void unload() override;

    /// Makes the window close itself `delay` after the copy has finished (a passive run).
    void closeWhenFinished(std::chrono::milliseconds delay) { m_closeDelay = delay; }

    /// The window while it is loaded, else null.
    Form2* form() const { return m_form.get(); }

  private:
    MessageLoop& m_loop;
    Session* m_session = nullptr;
    std::unique_ptr<Form2> m_form;
    std::chrono::milliseconds m_closeDelay{0};
};

}  // namespace setup
