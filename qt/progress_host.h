#pragma once

#include <memory>

#include "copy/modal_progress_window.h"

namespace setup {

class Form2;

/// The progress window of the Qt program: Form2, run by the dialog's own modal loop.
class ProgressHost final : public ModalProgressWindow<Form2> {
  public:
    ProgressHost();
    ~ProgressHost() override;

  private:
    std::unique_ptr<Form2> createForm(Session& session) override;
    void runModal(Form2& form) override;
};

}  // namespace setup
