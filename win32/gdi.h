#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace setup {

/// Deletes a GDI object (font, bitmap, brush) when its owner goes.
struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};

/// An owned GDI object of handle type `Handle` (HFONT, HBITMAP...).
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

/// Logical dots per inch of the screen, across and down.
struct ScreenDpi {
    int x = 96;
    int y = 96;
};
ScreenDpi screenDpi();

/// The system's default window font (the one message boxes use), at its own size.
LOGFONTW defaultWindowFont();

/// The height of a LOGFONTW for a character height of `points` on a screen of `dotsPerInch`.
LONG fontHeightForPoints(double points, int dotsPerInch);

/// The module's bitmap resource `id` as a device-independent bitmap; throws Failure when missing.
GdiObject<HBITMAP> loadBitmapResource(int id);

}  // namespace setup
