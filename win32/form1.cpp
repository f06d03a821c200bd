#include "win32/form1.h"

#include <commctrl.h>

#include <cmath>

#include "platform/failure.h"
#include "run/backdrop_bands.h"
#include "run/backdrop_texts.h"
#include "win32/resources.h"

namespace setup {

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 64);
constexpr COLORREF kShadow = RGB(0, 0, 0);
constexpr COLORREF kTitleColour = RGB(255, 255, 0);
constexpr COLORREF kMakerColour = RGB(255, 255, 255);
constexpr int kInitialWidth = 487;
constexpr int kInitialHeight = 259;
constexpr RECT kLogoBox{159, 129, 159 + 202, 129 + 111};
constexpr wchar_t kWindowClass[] = L"Form1";
constexpr wchar_t kLogoClass[] = L"Form1.Picture1";

void registerClasses() {
    // Function-local: registered once, on the first window, whatever the order of creation.
    static const bool registered = [] {
        // The logo's tooltip is a common control.
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = DefWindowProcW;
        form.hInstance = instance;
        form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(SETUP_ICON));
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.lpszClassName = kWindowClass;
        WNDCLASSEXW logo = form;
        logo.hIcon = nullptr;
        logo.lpszClassName = kLogoClass;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&logo) != 0;
    }();
    if (!registered) throw Failure("window classes not registered");
}

/// Draws `text` with its top-left corner at (x, y); only the glyphs are painted.
void drawTextAt(HDC dc, int x, int y, const std::wstring& text, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

Form1::Form1() {
    registerClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RECT frame{0, 0, kInitialWidth, kInitialHeight};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
    m_window = CreateWindowExW(0, kWindowClass, L"Form1", WS_POPUP | WS_CLIPCHILDREN, CW_USEDEFAULT,
                               CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                               nullptr, instance, nullptr);
    if (m_window == nullptr) throw Failure("main window not created");
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form1::windowProcedure));

    m_logo = loadBitmapResource(SETUP_LOGO);
    // WS_BORDER: the flat one-pixel frame around a drawable area the size of the logo.
    m_picture1 = CreateWindowExW(0, kLogoClass, L"Picture1", WS_CHILD | WS_VISIBLE | WS_BORDER, kLogoBox.left,
                                 kLogoBox.top, kLogoBox.right - kLogoBox.left, kLogoBox.bottom - kLogoBox.top,
                                 m_window, nullptr, instance, nullptr);
    if (m_picture1 == nullptr) throw Failure("logo box not created");
    SetWindowLongPtrW(m_picture1, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_picture1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form1::logoProcedure));

    // TTS_ALWAYSTIP: the tip shows also while another window of the program is active.
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, instance, nullptr);
    if (m_tooltip != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(m_picture1);
        tool.lpszText = const_cast<wchar_t*>(kMakerContact);
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    setFontSize(0);
    fitImage();
}

Form1::~Form1() {
    if (m_window != nullptr) DestroyWindow(m_window);
    if (m_imageDc != nullptr) {
        SelectObject(m_imageDc, m_initialBitmap);
        DeleteDC(m_imageDc);
    }
}

std::wstring Form1::caption() const {
    if (m_window == nullptr) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(m_window)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(m_window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form1::setCaption(const std::wstring& caption) {
    if (m_window == nullptr || !SetWindowTextW(m_window, caption.c_str())) throw Failure("caption not set");
}

void Form1::maximise() {
    if (m_window == nullptr) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& area = monitor.rcMonitor;
        SetWindowPos(m_window, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fitImage();
}

void Form1::show() {
    if (m_window == nullptr) return;
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
}

void Form1::PaintBackdrop() {
    fitImage();
    RECT client{};
    GetClientRect(m_window, &client);
    const double height = client.bottom - client.top;
    const double width = client.right - client.left;
    const BackdropPlan plan = planBackdrop(height, width);
    setFontSize(plan.fontPointSize);

    ShowWindow(m_picture1, SW_HIDE);
    HDC dc = m_imageDc;
    const auto brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    for (const BackdropBand& band : plan.bands) {
        SetDCBrushColor(dc, RGB(0, 0, band.blue));
        // Both corners belong to the band; FillRect leaves out the right and bottom edges.
        const RECT area{band.left, band.top, band.right + 1, band.bottom + 1};
        FillRect(dc, &area, brush);
    }
    const HGDIOBJ previousFont = SelectObject(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const std::wstring title = caption();
    drawTextAt(dc, 8, 8, title, kShadow);
    drawTextAt(dc, 4, 4, title, kTitleColour);
    drawTextAt(dc, 8, plan.lineOffset + 8, kMakerLine, kShadow);
    drawTextAt(dc, 4, plan.lineOffset + 4, kMakerLine, kMakerColour);
    SelectObject(dc, previousFont);
    GdiFlush();

    RECT inner{};
    GetClientRect(m_picture1, &inner);
    const LogoPlace place = placeLogo(height, width, inner.bottom, inner.right);
    SetWindowPos(m_picture1, nullptr, static_cast<int>(std::floor(place.left)),
                 static_cast<int>(std::floor(place.top)), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_picture1, SW_SHOWNA);
    InvalidateRect(m_window, nullptr, FALSE);
    UpdateWindow(m_window);
}

void Form1::unload() {
    if (m_window == nullptr) return;
    HWND window = m_window;
    m_window = nullptr;
    m_picture1 = nullptr;
    m_tooltip = nullptr;
    DestroyWindow(window);
}

COLORREF Form1::retainedPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_size.cx || y >= m_size.cy) return CLR_INVALID;
    const std::uint32_t pixel = m_pixels[static_cast<std::size_t>(y) * m_size.cx + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

LRESULT CALLBACK Form1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint copies the retained bitmap over the whole area
        case WM_PAINT:
            if (form != nullptr) {
                form->paint();
                return 0;
            }
            break;
        case WM_CLOSE:
            return 0;  // the run ends only through its cleanup
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Form1::logoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && form != nullptr) {
        form->paintLogo(window);
        return 0;
    }
    if (message == WM_NCPAINT) {
        // The flat border in the window-text colour, black, whatever colour the system gives frames.
        if (HDC dc = GetWindowDC(window)) {
            RECT frame{};
            GetWindowRect(window, &frame);
            OffsetRect(&frame, -frame.left, -frame.top);
            FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(window, dc);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Form1::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client{};
    GetClientRect(m_window, &client);
    // Beyond the retained bitmap (only before the first fit to a new size) the background shows.
    if (client.right > m_size.cx || client.bottom > m_size.cy) {
        SetDCBrushColor(dc, kBackground);
        const auto brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
        const RECT right{m_size.cx, 0, client.right, client.bottom};
        const RECT below{0, m_size.cy, m_size.cx, client.bottom};
        FillRect(dc, &right, brush);
        FillRect(dc, &below, brush);
    }
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, m_imageDc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(m_window, &ps);
}

void Form1::paintLogo(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    BITMAP picture{};
    GetObjectW(m_logo.get(), sizeof(picture), &picture);
    if (HDC source = CreateCompatibleDC(dc)) {
        const HGDIOBJ previous = SelectObject(source, m_logo.get());
        BitBlt(dc, 0, 0, picture.bmWidth, picture.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    EndPaint(window, &ps);
}

void Form1::fitImage() {
    if (m_window == nullptr) return;
    RECT client{};
    GetClientRect(m_window, &client);
    const SIZE size{client.right - client.left, client.bottom - client.top};
    if (m_image && size.cx == m_size.cx && size.cy == m_size.cy) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx > 0 ? size.cx : 1;
    info.bmiHeader.biHeight = -(size.cy > 0 ? size.cy : 1);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> image(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    if (!image || dc == nullptr) {
        if (dc != nullptr) DeleteDC(dc);
        throw Failure("drawing surface not created");
    }
    const HGDIOBJ initial = SelectObject(dc, image.get());
    SetDCBrushColor(dc, kBackground);
    const RECT all{0, 0, info.bmiHeader.biWidth, -info.bmiHeader.biHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (m_image) BitBlt(dc, 0, 0, m_size.cx, m_size.cy, m_imageDc, 0, 0, SRCCOPY);
    GdiFlush();

    if (m_imageDc != nullptr) {
        SelectObject(m_imageDc, m_initialBitmap);
        DeleteDC(m_imageDc);
    }
    m_imageDc = dc;
    m_initialBitmap = initial;
    m_image = std::move(image);
    m_pixels = static_cast<std::uint32_t*>(bits);
    m_size = {all.right, all.bottom};
}

void Form1::setFontSize(int pointSize) {
    LOGFONTW font = defaultWindowFont();
    if (pointSize > 0) font.lfHeight = fontHeightForPoints(pointSize, screenDpi().y);
    GdiObject<HFONT> created(CreateFontIndirectW(&font));
    if (!created) throw Failure("font not created");
    m_font = std::move(created);
    if (pointSize > 0) {
        m_pointSize = pointSize;
    } else {
        m_pointSize = static_cast<int>(std::lround(-font.lfHeight * 72.0 / screenDpi().y));
    }
}

}  // namespace setup
