#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "run/windows.h"
#include "win32/gdi.h"

namespace setup {

/// The main window: a borderless backdrop covering the screen, with the logo box Picture1 and its
/// tooltip. Everything drawn on it goes into a retained bitmap that WM_PAINT copies to the screen.
class Form1 final : public MainWindow {
  public:
    /// Creates the window hidden, with its design-time caption, size and logo box.
    Form1();
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    std::wstring caption() const override;
    void setCaption(const std::wstring& caption) override;
    /// Takes the whole rectangle of the window's monitor, taskbar included.
    void maximise() override;
    void show() override;
    void PaintBackdrop() override;
    void unload() override;

    /// The window, or null once unloaded.
    HWND handle() const { return m_window; }
    /// The logo box.
    HWND logoBox() const { return m_picture1; }
    /// The point size of the window's font, which the backdrop sets.
    int fontPointSize() const { return m_pointSize; }
    /// Width and height of the retained bitmap.
    SIZE retainedSize() const { return m_size; }
    /// A pixel of the retained bitmap (what the window shows, without the logo box).
    COLORREF retainedPixel(int x, int y) const;

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK logoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void paintLogo(HWND window);
    /// Gives the retained bitmap the size of the drawable area, keeping what it holds.
    void fitImage();
    /// The window's font at `pointSize`, keeping the face, weight and style of the default window font.
    void setFontSize(int pointSize);

    HWND m_window = nullptr;
    HWND m_picture1 = nullptr;
    HWND m_tooltip = nullptr;
    HDC m_imageDc = nullptr;
    GdiObject<HBITMAP> m_image;
    HGDIOBJ m_initialBitmap = nullptr;
    std::uint32_t* m_pixels = nullptr;
    SIZE m_size{0, 0};
    GdiObject<HFONT> m_font;
    int m_pointSize = 0;
    GdiObject<HBITMAP> m_logo;
};

}  // namespace setup
