#include "qt/progress_host.h"

#include "copy/progress_form.h"
#include "platform/failure.h"
#include "qt/form2.h"

namespace setup {

ProgressHost::ProgressHost() = default;

ProgressHost::~ProgressHost() = default;

void ProgressHost::setSession(Session& session) { m_session = &session; }

void ProgressHost::showModal() {
    if (m_session == nullptr) throw Failure("progress window shown without a run");
    if (!m_form) {
        m_form = std::make_unique<Form2>(*m_session);
        m_form->closeWhenFinished(m_closeDelay);
        try {
            m_form->handlers().Form_Load();
        } catch (...) {
            m_form.reset();
            throw;
        }
    }
    m_form->exec();
    // The loop ends only when the window is unloaded; no handler of the window is running any more.
    if (m_form && m_form->isUnloaded()) m_form.reset();
}

void ProgressHost::unload() {
    if (m_form) m_form->unload();
}

}  // namespace setup
