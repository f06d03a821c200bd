#include "win32/form2.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "copy/progress_form.h"
#include "platform/failure.h"
#include "run/twips.h"
#include "win32/resources.h"

namespace setup {

namespace layout = form2_layout;

namespace {

constexpr wchar_t kWindowClass[] = L"Form2";
constexpr wchar_t kTroughClass[] = L"Form2.Picture1";
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kWindowExtendedStyle = WS_EX_DLGMODALFRAME;
constexpr int kCommand1Id = 1001;
/// Posted once the window is shown: starts the copy when the system delivers no activation.
constexpr UINT kActivateFallback = WM_APP + 1;
/// The timer that closes the finished window of a passive run.
constexpr UINT_PTR kCloseTimerId = 1;
constexpr COLORREF kTroughColour = RGB(255, 255, 255);
constexpr COLORREF kPercentColour = RGB(255, 0, 0);

void registerClasses() {
    static const bool registered = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = DefWindowProcW;
        form.hInstance = instance;
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        form.lpszClassName = kWindowClass;
        WNDCLASSEXW trough = form;
        trough.hbrBackground = nullptr;
        trough.lpszClassName = kTroughClass;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&trough) != 0;
    }();
    if (!registered) throw Failure("window classes not registered");
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

/// The letter after the first single "&" of a caption, in upper case; 0 when there is none.
wchar_t accessKeyOf(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(caption[i + 1]));
        ++i;
    }
    return 0;
}

}  // namespace

Form2::Form2(Session& session, HWND owner)
    : m_handlers(std::make_unique<ProgressForm>(session, *this)), m_dpi(screenDpi()), m_owner(owner) {
    registerClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);

    RECT frame{0, 0, toPixelsX(layout::kClientWidth), toPixelsY(layout::kClientHeight)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExtendedStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor))
        screen = monitor.rcMonitor;
    const int left = screen.left + (screen.right - screen.left - width) / 2;
    const int top = screen.top + (screen.bottom - screen.top - height) / 2;

    m_window = CreateWindowExW(kWindowExtendedStyle, kWindowClass, L"Copie des Fichiers...", kWindowStyle,
                               left, top, width, height, owner, nullptr, instance, nullptr);
    if (m_window == nullptr) throw Failure("progress window not created");
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form2::windowProcedure));

    const LOGFONTW windowFont = defaultWindowFont();
    m_windowFont.reset(CreateFontIndirectW(&windowFont));
    LOGFONTW percent{};
    percent.lfHeight = fontHeightForPoints(9.75, m_dpi.y);
    percent.lfWeight = FW_BOLD;
    percent.lfCharSet = ANSI_CHARSET;
    lstrcpynW(percent.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    m_percentFont.reset(CreateFontIndirectW(&percent));
    m_barPicture = loadBitmapResource(SETUP_BAR);

    // Created in tab order: the button first, so that it holds the focus.
    m_command1 =
        createControl(L"BUTTON", kCancelCaption, WS_TABSTOP | BS_PUSHBUTTON, 0, layout::kCommand1, m_window);
    SetWindowLongPtrW(m_command1, GWLP_ID, kCommand1Id);
    m_picture1 = createControl(kTroughClass, L"", 0, WS_EX_CLIENTEDGE, layout::kPicture1, m_window);
    SetWindowLongPtrW(m_picture1, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_picture1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form2::troughProcedure));
    // No prefix: a file name with "&" shows as written.
    m_label2 = createControl(L"STATIC", L"Copie de : ", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, layout::kLabel2,
                             m_window);
    m_barPixels = std::max(0, toPixelsX(layout::kImage1.width));
}

Form2::~Form2() {
    releaseOwner();
    if (m_window != nullptr) DestroyWindow(m_window);
}

HWND Form2::createControl(const wchar_t* className, const wchar_t* text, DWORD style, DWORD extendedStyle,
                          const layout::TwipsRect& place, HWND parent) {
    const RECT area = toPixels(place);
    HWND control = CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, area.left,
                                   area.top, area.right - area.left, area.bottom - area.top, parent, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) throw Failure("progress window control not created");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_windowFont.get()), FALSE);
    return control;
}

void Form2::runModal(MessageLoop& loop) {
    struct Restore {
        MessageLoop& loop;
        ModalWindow* previous;
        Form2& form;
        ~Restore() {
            form.releaseOwner();
            loop.setModalWindow(previous);
        }
    } restore{loop, loop.setModalWindow(this), *this};

    if (m_owner != nullptr && IsWindowEnabled(m_owner)) {
        EnableWindow(m_owner, FALSE);
        m_ownerDisabled = true;
    }
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    UpdateWindow(m_window);
    PostMessageW(m_window, kActivateFallback, 0, 0);
    while (!m_unloaded) {
        runPendingEvents();
        if (m_unloaded) break;
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) throw Failure("message loop failed");
        loop.handle(message);
    }
}

int Form2::troughWidth() const { return layout::kPicture1.width; }

void Form2::setBarWidth(float twips) {
    m_barPixels = std::max(0, toPixelsX(twips));
    InvalidateRect(m_picture1, nullptr, FALSE);
}

void Form2::setPercentCaption(const std::wstring& caption) {
    m_percent = caption;
    InvalidateRect(m_picture1, nullptr, FALSE);
}

void Form2::setStatusCaption(const std::wstring& caption) { SetWindowTextW(m_label2, caption.c_str()); }

std::wstring Form2::statusCaption() const { return windowText(m_label2); }

std::wstring Form2::buttonCaption() const { return windowText(m_command1); }

void Form2::setButtonCaption(const std::wstring& caption) { SetWindowTextW(m_command1, caption.c_str()); }

void Form2::repaintPercent() { RedrawWindow(m_picture1, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void Form2::repaintStatus() {
    RedrawWindow(m_label2, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Form2::unload() {
    m_unloaded = true;
    releaseOwner();
    ShowWindow(m_window, SW_HIDE);
}

bool Form2::preTranslate(const MSG& message) {
    if (m_unloaded || (message.hwnd != m_window && !IsChild(m_window, message.hwnd))) return false;
    switch (message.message) {
        case WM_SYSCHAR: {
            const wchar_t key = accessKeyOf(buttonCaption());
            if (key == 0 || static_cast<wchar_t>(std::towupper(static_cast<wint_t>(message.wParam))) != key) {
                return false;
            }
            // The access key clicks at once, also while the copy runs: its next look at the messages
            // asks whether to cancel.
            SetFocus(m_command1);
            m_events.push_back(Event::Click);
            return true;
        }
        case WM_KEYDOWN:
            if (message.wParam == VK_ESCAPE) return true;  // Escape does nothing
            if (message.wParam == VK_RETURN) {
                // Neither default nor cancel button: Enter acts on the button only through the focus.
                if (GetFocus() == m_command1) m_events.push_back(Event::Click);
                return true;
            }
            return false;
        default:
            return false;
    }
}

void Form2::runPendingEvents() {
    while (!m_events.empty()) {
        const Event event = m_events.front();
        m_events.pop_front();
        if (m_unloaded) continue;
        switch (event) {
            case Event::Activate:
                activate();
                break;
            case Event::ActivateIfNeverActivated:
                if (!m_activated && IsWindowVisible(m_window)) activate();
                break;
            case Event::Click:
                m_handlers->Command1_Click();
                break;
        }
    }
}

void Form2::activate() {
    m_activated = true;
    m_handlers->Form_Activate();
    if (m_closeDelay.count() > 0 && !m_closeScheduled && !m_unloaded && buttonCaption() == kFinishCaption) {
        m_closeScheduled = true;
        SetTimer(m_window, kCloseTimerId, static_cast<UINT>(m_closeDelay.count()), nullptr);
    }
}

void Form2::releaseOwner() {
    if (!m_ownerDisabled) return;
    m_ownerDisabled = false;
    if (IsWindow(m_owner)) EnableWindow(m_owner, TRUE);
}

LRESULT CALLBACK Form2::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form2*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return form->handleMessage(message, wParam, lParam);
}

LRESULT Form2::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(m_command1);
                if (!m_unloaded) m_events.push_back(Event::Activate);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            SetFocus(m_command1);
            return 0;
        case kActivateFallback:
            m_events.push_back(Event::ActivateIfNeverActivated);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) {
                m_events.push_back(Event::Click);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam != kCloseTimerId) break;
            KillTimer(m_window, kCloseTimerId);
            if (!m_unloaded) m_events.push_back(Event::Click);
            return 0;
        case WM_CLOSE:
            // Closing through the frame (Alt+F4) does what the button does.
            if (!m_unloaded) m_events.push_back(Event::Click);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

LRESULT CALLBACK Form2::troughProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form2*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form != nullptr && message == WM_PAINT) {
        form->paintTrough();
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;  // the paint covers the whole area
    return DefWindowProcW(window, message, wParam, lParam);
}

void Form2::paintTrough() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(m_picture1, &ps);
    RECT client{};
    GetClientRect(m_picture1, &client);
    // Drawn off screen, then copied at once: the bar and the percentage never flicker.
    HDC dc = CreateCompatibleDC(screen);
    GdiObject<HBITMAP> buffer(CreateCompatibleBitmap(screen, client.right, client.bottom));
    if (dc == nullptr || !buffer) {
        if (dc != nullptr) DeleteDC(dc);
        EndPaint(m_picture1, &ps);
        return;
    }
    const HGDIOBJ initial = SelectObject(dc, buffer.get());
    SetDCBrushColor(dc, kTroughColour);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    // Image1: the bar picture stretched to the whole image, clipped by the trough.
    const RECT image = toPixels(layout::kImage1);
    if (HDC picture = CreateCompatibleDC(dc)) {
        BITMAP size{};
        GetObjectW(m_barPicture.get(), sizeof(size), &size);
        const HGDIOBJ previous = SelectObject(picture, m_barPicture.get());
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, image.left, image.top, m_barPixels, image.bottom - image.top, picture, 0, 0,
                   size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(picture, previous);
        DeleteDC(picture);
    }

    // Label1 above the bar: centred, red, on a transparent background.
    RECT label = toPixels(layout::kLabel1);
    const HGDIOBJ previousFont = SelectObject(dc, m_percentFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kPercentColour);
    DrawTextW(dc, m_percent.c_str(), static_cast<int>(m_percent.size()), &label,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previousFont);

    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, initial);
    DeleteDC(dc);
    EndPaint(m_picture1, &ps);
}

int Form2::toPixelsX(double twips) const { return twipsToPixels(twips, m_dpi.x); }

int Form2::toPixelsY(double twips) const { return twipsToPixels(twips, m_dpi.y); }

RECT Form2::toPixels(const layout::TwipsRect& rect) const {
    const int left = toPixelsX(rect.left);
    const int top = toPixelsY(rect.top);
    return {left, top, left + toPixelsX(rect.width), top + toPixelsY(rect.height)};
}

}  // namespace setup
