#include "qt/form2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "qt/progress_host.h"
#include "tests/support/progress_window_agreement.h"

namespace setup::test {
namespace {

template <typename Widget>
Widget* control(QWidget& form, const char* name) {
    return form.findChild<Widget*>(QString::fromLatin1(name));
}

/// The Qt program's progress window, as the shared cases drive it.
class QtShell {
  public:
    using Form = Form2;

    ProgressHost& host() { return m_host; }
    /// Runs `action` once the event loop is back, after the handler now running has returned.
    void later(std::function<void()> action) {
        QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    }

    static ProgressSnapshot shown(Form2& form) {
        return {control<QLabel>(form, "Image1")->width(),
                control<QLabel>(form, "Label1")->text().toStdWString(),
                control<QLabel>(form, "Label2")->text().toStdWString(),
                control<QPushButton>(form, "Command1")->text().toStdWString()};
    }
    static void pressButton(Form2& form) { control<QPushButton>(form, "Command1")->click(); }
    static void closeThroughFrame(Form2& form) { form.close(); }
    static bool anyFormOnScreen() {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](QWidget* widget) { return widget->objectName() == QStringLiteral("Form2"); });
    }
    static std::unique_ptr<Form2> layOut(Session& session) { return std::make_unique<Form2>(session); }
    static std::wstring title(Form2& form) { return form.windowTitle().toStdWString(); }
    static ControlPlace clientArea(Form2& form) {
        EXPECT_EQ(form.logicalDpiX(), 96);
        return {0, 0, form.width(), form.height()};
    }
    static ControlPlace placeOf(Form2& form, const char* name) {
        QWidget* widget = control<QWidget>(form, name);
        if (widget == nullptr || widget->parentWidget() != &form) return {-1, -1, -1, -1};
        const QRect rect = widget->geometry();
        return {rect.x(), rect.y(), rect.width(), rect.height()};
    }

  private:
    ProgressHost m_host;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ProgressRun, QtShell);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ProgressLayout, QtShell);

using QtProgressRun = ProgressRun<QtShell>;

/// Makes the window the active one, as a click on it would, so its access keys work.
void activate(Form2& form) {
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
}

TEST_F(QtProgressRun, EscapeDoesNothingAndAccessKeysPressTheButton) {
    writeList(";Titre\r\na.txt\r\n");
    addFile("a.txt");
    m_runtime.answers = {box::kNo};
    bool focused = false;
    bool shownAfterEscape = false;
    std::size_t messagesAfterEscape = 99;
    m_runtime.atPendingPoint[1] = [&] {
        activate(form());
        focused = QApplication::focusWidget() == control<QPushButton>(form(), "Command1");
        QTest::keyClick(&form(), Qt::Key_Escape);
        shownAfterEscape = form().isVisible();
        messagesAfterEscape = m_runtime.messages.size();
        QTest::keyClick(&form(), Qt::Key_A, Qt::AltModifier);  // "&Annuler": asks at once, answered No
        m_shell.later([&] {
            activate(form());
            QTest::keyClick(&form(), Qt::Key_T, Qt::AltModifier);  // "&Terminer": closes
        });
    };

    m_shell.host().showModal();

    EXPECT_TRUE(focused);
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(messagesAfterEscape, 0u);
    ASSERT_EQ(m_runtime.messages.size(), 1u);
    EXPECT_EQ(m_runtime.messages[0], (ShownMessage{kCancelQuestion, L"Interruption de la Mise \u00E0 jour...",
                                                   box::kQuestionYesNo}));
    EXPECT_EQ(readFile(m_installation / "a.txt"), "a.txt content");  // No let the copy go on
    EXPECT_EQ(m_shell.host().form(), nullptr);
}

/// The window as laid out, never shown, so that no handler runs.
class Form2Layout : public testing::Test {
  protected:
    Form2Layout()
        : m_runtime(L"/nonexistent"), m_session{m_runtime, m_state, m_form1, m_form2}, m_form(m_session) {}

    RunState m_state;
    ScriptedRuntime m_runtime;
    FakeMainWindow m_form1;
    FakeProgressWindow m_form2;
    Session m_session;
    Form2 m_form;
};

TEST_F(Form2Layout, IsAFixedDialogWithoutBoxes) {
    const Qt::WindowFlags flags = m_form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(m_form.minimumSize(), m_form.maximumSize());
}

TEST_F(Form2Layout, PercentageAndBarSitInsideTheTroughsBorder) {
    struct Row {
        const char* name;
        QRect rect;
    };
    // Label1 and Image1 sit at the origin of the trough's drawable area, inside its border.
    auto* trough = control<QFrame>(m_form, "Picture1");
    for (const Row& row : {Row{"Label1", QRect(0, 0, 400, 17)}, Row{"Image1", QRect(0, 0, 266, 32)}}) {
        QWidget* widget = control<QWidget>(m_form, row.name);
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->geometry(), row.rect) << row.name;
        EXPECT_EQ(widget->mapTo(trough, QPoint(0, 0)), trough->contentsRect().topLeft()) << row.name;
    }
}

TEST_F(Form2Layout, Looks) {
    auto* percent = control<QLabel>(m_form, "Label1");
    EXPECT_TRUE(percent->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_EQ(percent->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(percent->font().bold());
    EXPECT_DOUBLE_EQ(percent->font().pointSizeF(), 9.75);
    EXPECT_FALSE(percent->autoFillBackground());
    auto* trough = control<QFrame>(m_form, "Picture1");
    EXPECT_EQ(trough->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(trough->frameShadow(), QFrame::Sunken);
    auto* bar = control<QLabel>(m_form, "Image1");
    EXPECT_TRUE(bar->hasScaledContents());
    const QImage picture = bar->pixmap().toImage();
    EXPECT_EQ(picture.size(), QSize(32, 32));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(picture.pixel(31, 31), qRgb(0, 0, 255));
}

TEST_F(Form2Layout, ButtonHasItsAccessKeyAndIsNeitherDefaultNorCancel) {
    auto* button = control<QPushButton>(m_form, "Command1");
    EXPECT_EQ(button->text(), QStringLiteral("&Annuler"));
    EXPECT_EQ(button->shortcut(), QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_FALSE(button->isDefault());
    m_form.setButtonCaption(kFinishCaption);
    EXPECT_EQ(m_form.buttonCaption(), kFinishCaption);
    EXPECT_EQ(button->shortcut(), QKeySequence(Qt::ALT | Qt::Key_T));
}

TEST_F(Form2Layout, EnterActsOnTheButtonThroughTheFocusOnly) {
    auto* button = control<QPushButton>(m_form, "Command1");
    EXPECT_EQ(m_form.focusWidget(), button);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    m_form.setButtonCaption(kFinishCaption);  // a press then only unloads
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(m_form.isUnloaded());
}

TEST_F(Form2Layout, EscapeDoesNothing) {
    int endings = 0;
    QObject::connect(&m_form, &QDialog::finished, [&] { ++endings; });
    m_form.setButtonCaption(kFinishCaption);
    QTest::keyClick(&m_form, Qt::Key_Escape);
    EXPECT_EQ(endings, 0);
    EXPECT_FALSE(m_form.isUnloaded());
    EXPECT_TRUE(m_runtime.messages.empty());
}

TEST_F(Form2Layout, CaptionsAreShownAsGiven) {
    m_form.setPercentCaption(L"%");
    m_form.setStatusCaption(L"Copie de : <b>r&d</b>.txt");
    EXPECT_EQ(control<QLabel>(m_form, "Label1")->text(), QStringLiteral("%"));
    auto* status = control<QLabel>(m_form, "Label2");
    EXPECT_EQ(status->text(), QStringLiteral("Copie de : <b>r&d</b>.txt"));
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace setup::test
