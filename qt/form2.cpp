#include "qt/form2.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "copy/progress_form.h"
#include "run/twips.h"

namespace setup {

namespace layout = form2_layout;

namespace {

/// A button whose access key presses it at once. Qt animates such a press and clicks a tenth of a second
/// later, so a key pressed during the copy would land after the copy has finished and close the window
/// instead of asking whether to cancel.
class AccessKeyButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Shortcut && isEnabled()) {
            setFocus(Qt::ShortcutFocusReason);
            click();
            return true;
        }
        return QPushButton::event(event);
    }
};

}  // namespace

Form2::Form2(Session& session)
    : QDialog(nullptr,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_handlers(std::make_unique<ProgressForm>(session, *this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Copie des Fichiers..."));
    setFixedSize(toPixelsX(layout::kClientWidth), toPixelsY(layout::kClientHeight));

    m_picture1 = new QFrame(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    m_picture1->setGeometry(toPixels(layout::kPicture1));
    m_picture1->setAutoFillBackground(true);
    QPalette white = m_picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_picture1->setPalette(white);
    // The drawable area inside the sunken border: it places and clips the bar and the percentage.
    m_trough = new QWidget(m_picture1);
    m_trough->setGeometry(m_picture1->contentsRect());

    m_image1 = new QLabel(m_trough);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(QPixmap(QStringLiteral(":/images/bar.bmp")));
    m_image1->setScaledContents(true);
    m_image1->setGeometry(toPixels(layout::kImage1));

    m_label1 = new QLabel(QStringLiteral("100%"), m_trough);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont percentFont = m_label1->font();
    percentFont.setPointSizeF(9.75);
    percentFont.setWeight(QFont::Bold);
    percentFont.setItalic(false);
    percentFont.setUnderline(false);
    percentFont.setStrikeOut(false);
    m_label1->setFont(percentFont);
    QPalette red = m_label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_label1->setPalette(red);
    m_label1->setGeometry(toPixels(layout::kLabel1));
    m_label1->raise();  // the percentage stays readable over the bar

    m_command1 = new AccessKeyButton(QString::fromStdWString(kCancelCaption), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(toPixels(layout::kCommand1));
    m_command1->setDefault(false);
    connect(m_command1, &QPushButton::clicked, this, [this] { m_handlers->Command1_Click(); });

    m_label2 = new QLabel(QStringLiteral("Copie de : "), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextFormat(Qt::PlainText);
    m_label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label2->setGeometry(toPixels(layout::kLabel2));

    m_command1->setFocus();

    if (QScreen* target = QGuiApplication::primaryScreen()) {
        move(target->geometry().center() - rect().center());
    }
}

Form2::~Form2() = default;

int Form2::troughWidth() const { return layout::kPicture1.width; }

void Form2::setBarWidth(float twips) { m_image1->resize(std::max(0, toPixelsX(twips)), m_image1->height()); }

void Form2::setPercentCaption(const std::wstring& caption) {
    m_label1->setText(QString::fromStdWString(caption));
}

void Form2::setStatusCaption(const std::wstring& caption) {
    m_label2->setText(QString::fromStdWString(caption));
}

std::wstring Form2::buttonCaption() const { return m_command1->text().toStdWString(); }

void Form2::setButtonCaption(const std::wstring& caption) {
    m_command1->setText(QString::fromStdWString(caption));
}

void Form2::repaintPercent() { m_label1->repaint(); }

void Form2::repaintStatus() { m_label2->repaint(); }

void Form2::unload() {
    m_unloaded = true;
    done(QDialog::Accepted);
    hide();
}

void Form2::reject() {}

bool Form2::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && !m_unloaded) activate();
    return handled;
}

void Form2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Without a window manager, or on the offscreen platform, the window may never be activated: the
    // copy then starts once the events of the showing have been handled.
    QMetaObject::invokeMethod(this, &Form2::activateIfNeverActivated, Qt::QueuedConnection);
}

void Form2::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!m_unloaded) m_handlers->Command1_Click();
}

void Form2::activate() {
    m_activated = true;
    m_handlers->Form_Activate();
    if (m_closeDelay.count() > 0 && !m_closeScheduled && !m_unloaded && buttonCaption() == kFinishCaption) {
        m_closeScheduled = true;
        QTimer::singleShot(m_closeDelay, this, [this] {
            if (!m_unloaded) m_handlers->Command1_Click();
        });
    }
}

void Form2::activateIfNeverActivated() {
    if (!m_activated && !m_unloaded && isVisible()) activate();
}

int Form2::toPixelsX(double twips) const { return twipsToPixels(twips, logicalDpiX()); }

int Form2::toPixelsY(double twips) const { return twipsToPixels(twips, logicalDpiY()); }

QRect Form2::toPixels(const layout::TwipsRect& rect) const {
    return {toPixelsX(rect.left), toPixelsY(rect.top), toPixelsX(rect.width), toPixelsY(rect.height)};
}

}  // namespace setup
