#include "win32/message_loop.h"

namespace setup {

ModalWindow* MessageLoop::setModalWindow(ModalWindow* window) {
    ModalWindow* previous = m_modal;
    m_modal = window;
    return previous;
}

HWND MessageLoop::messageBoxOwner() const {
    if (m_modal != nullptr && IsWindowVisible(m_modal->handle())) return m_modal->handle();
    return IsWindow(m_mainWindow) ? m_mainWindow : nullptr;
}

void MessageLoop::repaintMainWindow() const {
    if (IsWindow(m_mainWindow)) UpdateWindow(m_mainWindow);
}

void MessageLoop::handle(MSG& message) {
    if (m_modal == nullptr || !m_modal->preTranslate(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (m_modal != nullptr) m_modal->runPendingEvents();
}

void MessageLoop::handlePending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        handle(message);
    }
    // Messages sent by the system (an activation) may have left events without any message queued.
    if (m_modal != nullptr) m_modal->runPendingEvents();
}

}  // namespace setup
