#include "win32/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "run/backdrop_texts.h"

namespace setup::test {
namespace {

constexpr COLORREF kPureBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

/// True when some pixel of the `width` x `height` area at (left, top) of the retained bitmap has `colour`.
bool hasColour(const Form1& form, int left, int top, int width, int height, COLORREF colour) {
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            if (form.retainedPixel(x, y) == colour) return true;
        }
    }
    return false;
}

RECT placeOf(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

/// Gives the window a drawable area of `width` x `height` pixels.
void resizeClient(Form1& form, int width, int height) {
    SetWindowPos(form.handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

class Form1Backdrop : public testing::Test {
  protected:
    void SetUp() override {
        m_form.setCaption(L"Kelvane 7.1 : mise \u00E0 jour");
        resizeClient(m_form, 800, 600);
        m_form.show();
        m_form.PaintBackdrop();
    }

    Form1 m_form;
};

TEST_F(Form1Backdrop, TopRowIsPureBlueAndLastRowBlack) {
    ASSERT_EQ(m_form.retainedSize().cx, 800);
    ASSERT_EQ(m_form.retainedSize().cy, 600);
    // Each band reaches two rows below its own, so only the first row keeps the first band's blue.
    EXPECT_EQ(m_form.retainedPixel(790, 0), kPureBlue);
    EXPECT_EQ(m_form.retainedPixel(790, 1), RGB(0, 0, 254));
    EXPECT_EQ(m_form.retainedPixel(790, 300), RGB(0, 0, 127));
    EXPECT_EQ(m_form.retainedPixel(0, 598), RGB(0, 0, 1));
    EXPECT_EQ(m_form.retainedPixel(799, 599), kBlack);
}

TEST_F(Form1Backdrop, DrawsTheCaptionInYellowOverABlackShadow) {
    EXPECT_TRUE(hasColour(m_form, 4, 4, 40, 30, kYellow));
    EXPECT_TRUE(hasColour(m_form, 8, 8, 40, 30, kBlack));
    // Nothing is drawn above and left of the yellow text's corner.
    EXPECT_FALSE(hasColour(m_form, 0, 0, 800, 4, kYellow));
    EXPECT_FALSE(hasColour(m_form, 0, 0, 4, 60, kYellow));
}

TEST_F(Form1Backdrop, DrawsTheMakerLineInWhiteOneLineOffsetLower) {
    EXPECT_FALSE(hasColour(m_form, 0, 0, 800, 36, kWhite));
    EXPECT_TRUE(hasColour(m_form, 4, 36, 200, 30, kWhite));
}

TEST_F(Form1Backdrop, TakesTheLargeFontFromHeight481) {
    EXPECT_EQ(m_form.fontPointSize(), 24);
    resizeClient(m_form, 800, 480);
    m_form.PaintBackdrop();
    EXPECT_EQ(m_form.fontPointSize(), 16);
    EXPECT_FALSE(hasColour(m_form, 0, 0, 800, 28, kWhite));
    EXPECT_TRUE(hasColour(m_form, 4, 28, 200, 20, kWhite));
}

TEST_F(Form1Backdrop, PlacesTheLogoCentredAboveTheBottom) {
    HWND logo = m_form.logoBox();
    EXPECT_TRUE(IsWindowVisible(logo));
    const RECT place = placeOf(logo);
    EXPECT_EQ(place.left, 300);
    EXPECT_EQ(place.top, 483);
    EXPECT_EQ(place.right - place.left, 202);
    EXPECT_EQ(place.bottom - place.top, 111);
    RECT inner{};
    GetClientRect(logo, &inner);
    EXPECT_EQ(inner.right, 200);
    EXPECT_EQ(inner.bottom, 109);
    HDC frame = GetWindowDC(logo);
    EXPECT_EQ(GetPixel(frame, 0, 0), kBlack);  // the flat border
    EXPECT_EQ(GetPixel(frame, 201, 110), kBlack);
    ReleaseDC(logo, frame);
}

TEST_F(Form1Backdrop, PaintingTwiceGivesTheSameImageAndPlace) {
    std::vector<COLORREF> first;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 800; x += 3) first.push_back(m_form.retainedPixel(x, y));
    }
    const RECT firstPlace = placeOf(m_form.logoBox());
    m_form.PaintBackdrop();
    std::vector<COLORREF> second;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 800; x += 3) second.push_back(m_form.retainedPixel(x, y));
    }
    EXPECT_EQ(first, second);
    const RECT secondPlace = placeOf(m_form.logoBox());
    EXPECT_TRUE(EqualRect(&firstPlace, &secondPlace));
}

TEST_F(Form1Backdrop, TheScreenShowsTheRetainedImage) {
    RedrawWindow(m_form.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC screen = GetDC(m_form.handle());
    for (const POINT& point : {POINT{790, 0}, POINT{790, 300}, POINT{10, 599}, POINT{20, 20}}) {
        EXPECT_EQ(GetPixel(screen, point.x, point.y), m_form.retainedPixel(point.x, point.y))
            << point.x << "," << point.y;
    }
    ReleaseDC(m_form.handle(), screen);
}

TEST(Form1, IsBorderlessWithTheGivenCaptionOnly) {
    Form1 form;
    const LONG_PTR style = GetWindowLongPtrW(form.handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_EQ(form.caption(), L"Form1");
    form.setCaption(L" Kelvane & co");
    EXPECT_EQ(form.caption(), L" Kelvane & co");
    EXPECT_NE(GetClassLongPtrW(form.handle(), GCLP_HICON), 0);
}

TEST(Form1, ShowsDarkBlueBeforeTheFirstPainting) {
    Form1 form;
    EXPECT_EQ(form.retainedSize().cx, 487);
    EXPECT_EQ(form.retainedSize().cy, 259);
    EXPECT_EQ(form.retainedPixel(5, 5), RGB(0, 0, 64));
}

TEST(Form1, MaximiseCoversTheWholeScreen) {
    Form1 form;
    form.maximise();
    RECT place{};
    GetWindowRect(form.handle(), &place);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(place.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(form.retainedSize().cx, GetSystemMetrics(SM_CXSCREEN));
}

TEST(Form1, TheLogoCarriesTheMakersContactAsTooltip) {
    Form1 form;
    HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tooltip != nullptr && GetWindow(tooltip, GW_OWNER) != form.handle()) {
        tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
    }
    ASSERT_NE(tooltip, nullptr);
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = form.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(form.logoBox());
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, kMakerContact);
}

TEST(Form1, FailsOnAWindowWithoutDrawableArea) {
    Form1 form;
    resizeClient(form, 100, 0);
    EXPECT_THROW(form.PaintBackdrop(), std::exception);
}

TEST(Form1, UnloadDestroysTheWindow) {
    Form1 form;
    HWND window = form.handle();
    form.unload();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.handle(), nullptr);
    form.unload();  // a second unload finds nothing to do
}

}  // namespace
}  // namespace setup::test
