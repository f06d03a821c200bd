#include "tests/support/fake_windows.h"

#include <stdexcept>

namespace setup::test {

void FakeMainWindow::setCaption(const std::wstring& caption) {
    m_caption = caption;
    events.push_back(L"caption " + caption);
}

void FakeProgressWindow::showModal() {
    if (m_session == nullptr) throw std::logic_error("progress window shown before it was attached");
    if (!m_form) {
        m_form = std::make_unique<ProgressForm>(*m_session, *this);
        m_percent = L"100%";
        m_button = kCancelCaption;
        ++loads;
        events.push_back(L"load");
        try {
            m_form->Form_Load();
        } catch (...) {
            m_form.reset();
            throw;
        }
    }
    events.push_back(L"show");
    activate();
    for (int i = 0; i < extraActivations && m_form; ++i) activate();
    // A user who waits for the end of the copy and then closes the window; each press that does not
    // close it is answered by the scripted message boxes.
    for (int presses = 0; m_form && presses < 100; ++presses) press();
    if (m_form) throw std::logic_error("progress window never closed");
}

void FakeProgressWindow::unload() {
    if (!m_form) return;
    events.push_back(L"unload");
    // The window's handlers may still be on the stack; keep the object alive until the test ends.
    m_unloaded.push_back(std::move(m_form));
}

void FakeProgressWindow::setPercentCaption(const std::wstring& caption) {
    m_percent = caption;
    percents.push_back(caption);
}

void FakeProgressWindow::setStatusCaption(const std::wstring& caption) { statuses.push_back(caption); }

void FakeProgressWindow::setButtonCaption(const std::wstring& caption) {
    m_button = caption;
    events.push_back(L"button " + caption);
}

void FakeProgressWindow::press() {
    if (!m_form) return;
    events.push_back(L"press");
    m_form->Command1_Click();
}

void FakeProgressWindow::activate() {
    if (!m_form) return;
    events.push_back(L"activate");
    m_form->Form_Activate();
}

}  // namespace setup::test
