#include "qt/form1.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "qt/window_title.h"
#include "run/backdrop_bands.h"

namespace setup {

namespace {

const QColor kBackground(0, 0, 64);
const QColor kShadow(0, 0, 0);
const QColor kTitleColour(255, 255, 0);
const QColor kMakerColour(255, 255, 255);
constexpr int kInitialWidth = 487;
constexpr int kInitialHeight = 259;
constexpr double kMetresPerInch = 0.0254;

/// Draws `text` with its top-left corner at (x, y); only the glyphs are painted.
void drawTextAt(QPainter& painter, int x, int y, const QString& text, const QColor& colour) {
    painter.setPen(colour);
    painter.drawText(QRect(x, y, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine,
                     text);
}

}  // namespace

Form1::Form1() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(literalWindowTitle(m_caption));
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.bmp")));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    setPalette(colours);
    // The paint event copies the retained image over the whole area; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kInitialWidth, kInitialHeight);

    m_picture1 = new QLabel(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_picture1->setLineWidth(1);
    m_picture1->setPixmap(QPixmap(QStringLiteral(":/images/logo.bmp")));
    m_picture1->setToolTip(QString::fromStdWString(kMakerContact));
    m_picture1->setGeometry(159, 129, 202, 111);
    fitImage();
}

Form1::~Form1() = default;

std::wstring Form1::caption() const { return m_caption; }

void Form1::setCaption(const std::wstring& caption) {
    m_caption = caption;
    setWindowTitle(literalWindowTitle(caption));
}

void Form1::maximise() {
    QScreen* target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (target != nullptr) setGeometry(target->geometry());
    fitImage();
}

void Form1::show() { QWidget::show(); }

void Form1::PaintBackdrop() {
    fitImage();
    const double height = this->height();
    const double width = this->width();
    const BackdropPlan plan = planBackdrop(height, width);

    QFont backdropFont = font();
    backdropFont.setPointSize(plan.fontPointSize);
    setFont(backdropFont);

    m_picture1->hide();
    {
        QPainter painter(&m_image);
        painter.setFont(backdropFont);
        for (const BackdropBand& band : plan.bands) {
            painter.fillRect(QRect(QPoint(band.left, band.top), QPoint(band.right, band.bottom)),
                             QColor(0, 0, band.blue));
        }
        const QString title = QString::fromStdWString(m_caption);
        drawTextAt(painter, 8, 8, title, kShadow);
        drawTextAt(painter, 4, 4, title, kTitleColour);
        const QString maker = QString::fromStdWString(kMakerLine);
        drawTextAt(painter, 8, plan.lineOffset + 8, maker, kShadow);
        drawTextAt(painter, 4, plan.lineOffset + 4, maker, kMakerColour);
    }
    const QRect inner = m_picture1->contentsRect();
    const LogoPlace place = placeLogo(height, width, inner.height(), inner.width());
    m_picture1->move(static_cast<int>(std::floor(place.left)), static_cast<int>(std::floor(place.top)));
    m_picture1->show();
    update();
}

void Form1::unload() { close(); }

void Form1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.drawImage(0, 0, m_image);
}

void Form1::resizeEvent(QResizeEvent*) {}

void Form1::fitImage() {
    if (m_image.size() == size()) return;
    QImage image(size(), QImage::Format_RGB32);
    // Text in points must come out at the window's own size.
    image.setDotsPerMeterX(static_cast<int>(std::lround(logicalDpiX() / kMetresPerInch)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(logicalDpiY() / kMetresPerInch)));
    image.fill(kBackground);
    QPainter painter(&image);
    painter.drawImage(0, 0, m_image);
    m_image = std::move(image);
}

}  // namespace setup
