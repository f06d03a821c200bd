#pragma once

#include <windows.h>

#include <deque>
#include <functional>

namespace setup::test {

/// Runs actions once the message loop is back, after the handler now running has returned: each action
/// goes to the loop as a posted message to a window of its own.
class Later {
  public:
    Later();
    ~Later();
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;

    /// Queues `action` behind the messages already posted.
    void run(std::function<void()> action);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window = nullptr;
    std::deque<std::function<void()>> m_actions;
};

/// Posts a keystroke to `window` as the system queues it: Alt with a letter as WM_SYSCHAR, other keys as
/// WM_KEYDOWN.
void postAltLetter(HWND window, wchar_t letter);
void postKey(HWND window, WPARAM virtualKey);

}  // namespace setup::test
