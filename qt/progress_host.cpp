#include "qt/progress_host.h"

#include "qt/form2.h"

namespace setup {

ProgressHost::ProgressHost() = default;

ProgressHost::~ProgressHost() = default;

std::unique_ptr<Form2> ProgressHost::createForm(Session& session) { return std::make_unique<Form2>(session); }

void ProgressHost::runModal(Form2& form) { form.exec(); }

}  // namespace setup
