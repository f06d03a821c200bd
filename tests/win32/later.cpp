#include "tests/win32/later.h"

namespace setup::test {

namespace {
constexpr wchar_t kClass[] = L"Setup.Tests.Later";
constexpr UINT kRun = WM_APP + 7;
constexpr LPARAM kAltDown = LPARAM{1} << 29;
}  // namespace

Later::Later() {
    static const ATOM registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof(type);
        type.lpfnWndProc = &Later::procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = kClass;
        return RegisterClassExW(&type);
    }();
    (void)registered;
    m_window = CreateWindowExW(0, kClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Later::~Later() { DestroyWindow(m_window); }

void Later::run(std::function<void()> action) {
    m_actions.push_back(std::move(action));
    PostMessageW(m_window, kRun, 0, 0);
}

LRESULT CALLBACK Later::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* later = reinterpret_cast<Later*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kRun && later != nullptr && !later->m_actions.empty()) {
        const std::function<void()> action = std::move(later->m_actions.front());
        later->m_actions.pop_front();
        action();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void postAltLetter(HWND window, wchar_t letter) { PostMessageW(window, WM_SYSCHAR, letter, kAltDown | 1); }

void postKey(HWND window, WPARAM virtualKey) { PostMessageW(window, WM_KEYDOWN, virtualKey, 1); }

}  // namespace setup::test
