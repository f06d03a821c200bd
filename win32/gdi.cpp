#include "win32/gdi.h"

#include <cmath>

#include "platform/failure.h"

namespace setup {

ScreenDpi screenDpi() {
    ScreenDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.x = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

LOGFONTW defaultWindowFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

LONG fontHeightForPoints(double points, int dotsPerInch) {
    return -static_cast<LONG>(std::lround(points * dotsPerInch / 72.0));
}

GdiObject<HBITMAP> loadBitmapResource(int id) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) throw Failure("picture missing from the program");
    return GdiObject<HBITMAP>(bitmap);
}

}  // namespace setup
