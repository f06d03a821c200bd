#pragma once

#include <chrono>
#include <memory>

#include "copy/progress_form.h"
#include "platform/failure.h"
#include "run/session.h"
#include "run/windows.h"

namespace setup {

/// The progress window as the update sequence shows it, for a shell whose window is `Form`: creates the
/// window on a modal show, runs its counting before the modal loop, and destroys it once unloaded. A shell
/// says only how its window is made and how its modal loop runs.
///
/// `Form` has handlers() (the ProgressForm), closeWhenFinished(delay), unload() and isUnloaded().
template <class Form>
class ModalProgressWindow : public ProgressWindow {
  public:
    /// The run the window belongs to; the Session holds this window, so it comes after construction.
    void setSession(Session& session) { m_session = &session; }

    /// Creates the window, counts (a failure of the counting discards the window and reaches the caller),
    /// then runs the modal loop until the window is unloaded.
    void showModal() override {
        if (m_session == nullptr)
            throw Failure("fen\u00EAtre de progression affich\u00E9e sans ex\u00E9cution");
        if (!m_form) {
            m_form = createForm(*m_session);
            m_form->closeWhenFinished(m_closeDelay);
            try {
                m_form->handlers().Form_Load();
            } catch (...) {
                m_form.reset();
                throw;
            }
        }
        runModal(*m_form);
        // The loop ends only when the window is unloaded; no handler of the window is running any more.
        if (m_form && m_form->isUnloaded()) m_form.reset();
    }

    void unload() override {
        if (m_form) m_form->unload();
    }

    /// Makes the window close itself `delay` after the copy has finished (a passive run).
    void closeWhenFinished(std::chrono::milliseconds delay) { m_closeDelay = delay; }

    /// The window while it is loaded, else null.
    Form* form() const { return m_form.get(); }

  protected:
    virtual std::unique_ptr<Form> createForm(Session& session) = 0;
    /// Runs the window's modal loop; it returns once the window is unloaded.
    virtual void runModal(Form& form) = 0;

  private:
    Session* m_session = nullptr;
    std::unique_ptr<Form> m_form;
    std::chrono::milliseconds m_closeDelay{0};
};

}  // namespace setup
