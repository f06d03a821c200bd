#include "win32/progress_host.h"

#include "win32/form2.h"
#include "win32/message_loop.h"

namespace setup {

ProgressHost::ProgressHost(MessageLoop& loop) : m_loop(loop) {}

ProgressHost::~ProgressHost() = default;

std::unique_ptr<Form2> ProgressHost::createForm(Session& session) {
    return std::make_unique<Form2>(session, m_loop.messageBoxOwner());
}

void ProgressHost::runModal(Form2& form) { form.runModal(m_loop); }

}  // namespace setup
