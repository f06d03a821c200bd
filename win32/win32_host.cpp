#include "win32/win32_host.h"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "win32/message_loop.h"

namespace setup {

Win32Host::Win32Host(MessageLoop& loop, std::optional<std::wstring> programDirectory)
    : Host(std::move(programDirectory)), m_loop(loop) {}

int Win32Host::messageBox(const std::wstring& text, int style, const std::wstring& title) {
    const int answer =
        MessageBoxW(m_loop.messageBoxOwner(), text.c_str(), title.c_str(), static_cast<UINT>(style));
    // The next box often follows at once, with no message handled in between: the backdrop under this one
    // comes back now rather than inside that box.
    m_loop.repaintMainWindow();
    // A box the system could not show was never answered; Cancel is the answer that changes nothing.
    return answer == 0 ? box::kCancel : answer;
}

void Win32Host::processPendingMessages() { m_loop.handlePending(); }

void Win32Host::endProgram(int exitStatus) {
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(exitStatus));
}

}  // namespace setup
