#pragma once

#include <memory>

#include "copy/modal_progress_window.h"

namespace setup {

class Form2;
class MessageLoop;

/// The progress window of the Windows program: Form2, run by the program's message loop.
class ProgressHost final : public ModalProgressWindow<Form2> {
  public:
    /// `loop` serves the window while it is shown; its main window owns it.
    explicit ProgressHost(MessageLoop& loop);
    ~ProgressHost() override;

  private:
    std::unique_ptr<Form2> createForm(Session& session) override;
    void runModal(Form2& form) override;

    MessageLoop& m_loop;
};

}  // namespace setup
