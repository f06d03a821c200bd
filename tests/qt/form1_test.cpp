#include "qt/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>

namespace setup::test {
namespace {

constexpr QRgb kPureBlue = 0xFF0000FF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kWhite = 0xFFFFFFFF;

QLabel* logoBox(Form1& form) { return form.findChild<QLabel*>(QStringLiteral("Picture1")); }

/// True when some pixel of `area` has `colour`.
bool hasColour(const QImage& image, const QRect& area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour) return true;
        }
    }
    return false;
}

class Form1Backdrop : public testing::Test {
  protected:
    void SetUp() override {
        m_form.setCaption(L"Kelvane 7.1 : mise \u00E0 jour");
        m_form.resize(800, 600);
        m_form.show();
        m_form.PaintBackdrop();
    }

    Form1 m_form;
};

TEST_F(Form1Backdrop, TopRowIsPureBlueAndLastRowBlack) {
    const QImage& image = m_form.retainedImage();
    ASSERT_EQ(image.size(), QSize(800, 600));
    // Each band reaches two rows below its own, so only the first row keeps the first band's blue.
    EXPECT_EQ(image.pixel(790, 0), kPureBlue);
    EXPECT_EQ(image.pixel(790, 1), qRgb(0, 0, 254));
    EXPECT_EQ(image.pixel(0, 598), qRgb(0, 0, 1));
    EXPECT_EQ(image.pixel(0, 599), kBlack);
    EXPECT_EQ(image.pixel(799, 599), kBlack);
}

TEST_F(Form1Backdrop, TheMiddleRowIsBlue127) {
    EXPECT_EQ(m_form.retainedImage().pixel(790, 300), qRgb(0, 0, 127));
}

TEST_F(Form1Backdrop, DrawsTheCaptionInYellowOverABlackShadow) {
    const QImage& image = m_form.retainedImage();
    EXPECT_TRUE(hasColour(image, QRect(4, 4, 40, 30), kYellow));
    EXPECT_TRUE(hasColour(image, QRect(8, 8, 40, 30), kBlack));
    // Nothing is drawn above and left of the yellow text's corner.
    EXPECT_FALSE(hasColour(image, QRect(0, 0, 800, 4), kYellow));
    EXPECT_FALSE(hasColour(image, QRect(0, 0, 4, 60), kYellow));
}

TEST_F(Form1Backdrop, DrawsTheMakerLineInWhiteOneLineOffsetLower) {
    const QImage& image = m_form.retainedImage();
    EXPECT_FALSE(hasColour(image, QRect(0, 0, 800, 36), kWhite));
    EXPECT_TRUE(hasColour(image, QRect(4, 36, 200, 30), kWhite));
}

TEST_F(Form1Backdrop, TakesTheLargeFontFromHeight481) {
    EXPECT_EQ(m_form.font().pointSize(), 24);
    m_form.resize(800, 480);
    m_form.PaintBackdrop();
    EXPECT_EQ(m_form.font().pointSize(), 16);
}

TEST_F(Form1Backdrop, PlacesTheLogoCentredAboveTheBottom) {
    QLabel* logo = logoBox(m_form);
    ASSERT_NE(logo, nullptr);
    EXPECT_TRUE(logo->isVisible());
    EXPECT_EQ(logo->geometry(), QRect(300, 483, 202, 111));
    EXPECT_EQ(logo->contentsRect().size(), QSize(200, 109));

    const QImage screen = m_form.grab().toImage();
    const QImage picture = logo->pixmap().toImage();
    EXPECT_EQ(screen.pixel(300, 483), kBlack);  // the flat border
    EXPECT_EQ(screen.pixel(301 + 100, 484 + 50), picture.pixel(100, 50));
    EXPECT_EQ(screen.pixel(301 + 199, 484 + 108), picture.pixel(199, 108));
}

TEST_F(Form1Backdrop, TheScreenShowsTheRetainedImage) {
    const QImage screen = m_form.grab().toImage();
    for (const QPoint& point : {QPoint(790, 0), QPoint(790, 300), QPoint(10, 599), QPoint(20, 20)}) {
        EXPECT_EQ(screen.pixel(point), m_form.retainedImage().pixel(point)) << point.x() << "," << point.y();
    }
}

TEST_F(Form1Backdrop, PaintingTwiceGivesTheSameImageAndPlace) {
    const QImage first = m_form.retainedImage().copy();
    const QRect firstPlace = logoBox(m_form)->geometry();
    m_form.PaintBackdrop();
    EXPECT_EQ(m_form.retainedImage(), first);
    EXPECT_EQ(logoBox(m_form)->geometry(), firstPlace);
}

TEST_F(Form1Backdrop, KeepsTheImageThroughRepaints) {
    const QImage before = m_form.retainedImage().copy();
    m_form.repaint();
    m_form.resize(800, 600);
    QApplication::processEvents();
    EXPECT_EQ(m_form.retainedImage(), before);
}

TEST(Form1, IsFramelessWithTheGivenCaptionOnly) {
    Form1 form;
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form.caption(), L"Form1");
    form.setCaption(L" Kelvane & co");
    EXPECT_EQ(form.caption(), L" Kelvane & co");
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" Kelvane & co"));
    EXPECT_FALSE(form.windowIcon().isNull());
}

TEST(Form1, TitleShowsTheCaptionToTheLetter) {
    for (const std::wstring caption : {L"Mise \u00E0 jour [*] 3.1", L"[*]", L"a[*][*]b", L"[*] [*][*][*]"}) {
        Form1 form;
        form.setCaption(caption);
        form.winId();  // the title the system shows is made when the window is
        EXPECT_EQ(form.windowHandle()->title(), QString::fromStdWString(caption));
        EXPECT_EQ(form.caption(), caption);
    }
}

TEST(Form1, ShowsDarkBlueBeforeTheFirstPainting) {
    Form1 form;
    form.show();
    EXPECT_EQ(form.grab().toImage().pixel(5, 5), qRgb(0, 0, 64));
}

TEST(Form1, MaximiseCoversTheWholeScreen) {
    Form1 form;
    form.maximise();
    form.show();
    EXPECT_EQ(form.geometry(), QGuiApplication::primaryScreen()->geometry());
    form.PaintBackdrop();
    EXPECT_EQ(form.retainedImage().size(), QGuiApplication::primaryScreen()->geometry().size());
}

TEST(Form1, TheLogoCarriesTheMakersContactAsTooltip) {
    Form1 form;
    QLabel* logo = logoBox(form);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->toolTip().toStdWString(), kMakerContact);
    EXPECT_EQ(logo->pixmap().size(), QSize(200, 109));
}

TEST(Form1, UnloadClosesTheWindow) {
    Form1 form;
    form.show();
    form.unload();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace setup::test
