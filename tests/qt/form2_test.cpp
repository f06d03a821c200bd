#include "qt/form2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "copy/progress_form.h"
#include "platform/failure.h"
#include "platform/text_codec.h"
#include "qt/progress_host.h"
#include "run/run_state.h"
#include "run/session.h"
#include "tests/support/fake_windows.h"
#include "tests/support/scripted_runtime.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

const std::wstring kCancelQuestion = L"Etes-vous sur de vouloir annuler la mise \u00E0 jour ?";

template <typename Widget>
Widget* control(QWidget& form, const char* name) {
    return form.findChild<Widget*>(QString::fromLatin1(name));
}

/// What the window showed at one moment.
struct Snapshot {
    int barWidth;
    std::wstring percent;
    std::wstring status;
    std::wstring button;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(QWidget& form) {
    return {control<QLabel>(form, "Image1")->width(), control<QLabel>(form, "Label1")->text().toStdWString(),
            control<QLabel>(form, "Label2")->text().toStdWString(),
            control<QPushButton>(form, "Command1")->text().toStdWString()};
}

std::ostream& operator<<(std::ostream& out, const Snapshot& snapshot) {
    return out << snapshot.barWidth << " " << toUtf8(snapshot.percent) << " " << toUtf8(snapshot.status)
               << " " << toUtf8(snapshot.button);
}

/// The scripted runtime that also notes what the progress window shows as each file is copied.
class RecordingRuntime : public ScriptedRuntime {
  public:
    using ScriptedRuntime::ScriptedRuntime;
    std::function<void()> beforeCopy;

    std::uint64_t stageCopy(const std::wstring& source, const std::wstring& destination,
                            const std::wstring& staged, CopyCheck* check) override {
        if (beforeCopy) beforeCopy();
        return ScriptedRuntime::stageCopy(source, destination, staged, check);
    }
};

/// An update folder, an installation and a run with the real progress window.
class ProgressRun : public testing::Test {
  protected:
    ProgressRun()
        : m_update(m_root / "update"),
          m_installation(m_root / "Kelvane"),
          m_runtime(fromUtf8(m_update.string())),
          m_session{m_runtime, m_state, m_form1, m_host} {
        std::filesystem::create_directories(m_installation);
        m_state.InstallDir = fromUtf8(m_installation.string()) + L"\\";
        m_host.setSession(m_session);
    }

    void writeList(const std::string& text) { writeFile(m_update / "setup.lst", text); }

    void addFile(const std::string& name) { writeFile(m_update / name, name + " content"); }

    /// Runs `action` once the event loop is back, after the handler now running has returned.
    static void later(std::function<void()> action) {
        QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    }

    Form2& form() { return *m_host.form(); }

    /// Shows the window, lets the copy run to its finished state, records the window then and unloads it.
    Snapshot runToTheFinishedState() {
        Snapshot finished{};
        m_runtime.atPendingPoint[1] = [&] {
            later([&] {
                finished = snapshotOf(form());
                form().unload();
            });
        };
        m_host.showModal();
        return finished;
    }

    /// Makes the window the active one, as a click on it would, so its access keys work.
    void activate() {
        QApplication::setActiveWindow(&form());
        QApplication::processEvents();
    }

    TempDir m_root;
    std::filesystem::path m_update;
    std::filesystem::path m_installation;
    RunState m_state;
    RecordingRuntime m_runtime;
    FakeMainWindow m_form1;
    ProgressHost m_host;
    Session m_session;
};

TEST_F(ProgressRun, ShowsTheBarAndPercentageAsEachFileIsCopied) {
    writeList(";Titre\r\na.txt\r\nb.txt\r\nc.txt\r\n");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) addFile(name);
    std::vector<Snapshot> during;
    m_runtime.beforeCopy = [&] { during.push_back(snapshotOf(form())); };
    Snapshot finished{};
    m_runtime.atPendingPoint[1] = [&] {
        later([&] {
            finished = snapshotOf(form());
            control<QPushButton>(form(), "Command1")->click();
        });
    };

    m_host.showModal();

    EXPECT_EQ(during, (std::vector<Snapshot>{{135, L"33%", L"Copie de : a.txt", L"&Annuler"},
                                             {271, L"67%", L"Copie de : b.txt", L"&Annuler"},
                                             {406, L"100%", L"Copie de : c.txt", L"&Annuler"}}));
    EXPECT_EQ(finished,
              (Snapshot{406, L"100%", L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s", L"&Terminer"}));
    EXPECT_EQ(readFile(m_installation / "c.txt"), "c.txt content");
    EXPECT_EQ(m_host.form(), nullptr);  // unloaded by "&Terminer" and destroyed
}

TEST_F(ProgressRun, FinishedWindowShowsAFullBarAndAHundredPercent) {
    struct Row {
        const char* name;
        std::string list;
    };
    const Row rows[] = {
        {"a stamp after the file is not counted", ";Titre\r\na.txt\r\n#4.2\r\n"},
        {"nothing to copy", ";Titre\r\n!Attention\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeList(row.list);
        addFile("a.txt");
        m_state.FileCount = 0;
        m_runtime.pendingPoints = 0;
        EXPECT_EQ(
            runToTheFinishedState(),
            (Snapshot{406, L"100%", L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s", L"&Terminer"}));
    }
}

TEST_F(ProgressRun, EscapeDoesNothingAndAccessKeysPressTheButton) {
    writeList(";Titre\r\na.txt\r\n");
    addFile("a.txt");
    m_runtime.answers = {box::kNo};
    bool focused = false;
    bool shownAfterEscape = false;
    std::size_t messagesAfterEscape = 99;
    m_runtime.atPendingPoint[1] = [&] {
        activate();
        focused = QApplication::focusWidget() == control<QPushButton>(form(), "Command1");
        QTest::keyClick(&form(), Qt::Key_Escape);
        shownAfterEscape = form().isVisible();
        messagesAfterEscape = m_runtime.messages.size();
        QTest::keyClick(&form(), Qt::Key_A, Qt::AltModifier);  // "&Annuler": asks at once, answered No
        later([&] {
            activate();
            QTest::keyClick(&form(), Qt::Key_T, Qt::AltModifier);  // "&Terminer": closes
        });
    };

    m_host.showModal();

    EXPECT_TRUE(focused);
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(messagesAfterEscape, 0u);
    ASSERT_EQ(m_runtime.messages.size(), 1u);
    EXPECT_EQ(m_runtime.messages[0], (ShownMessage{kCancelQuestion, L"Interruption de la Mise \u00E0 jour...",
                                                   box::kQuestionYesNo}));
    EXPECT_EQ(readFile(m_installation / "a.txt"), "a.txt content");  // No let the copy go on
    EXPECT_EQ(m_host.form(), nullptr);
}

TEST_F(ProgressRun, ClosingThroughTheFrameActsLikeTheButton) {
    writeList(";Titre\r\na.txt\r\n");
    addFile("a.txt");
    m_runtime.answers = {box::kNo};
    m_runtime.atPendingPoint[1] = [&] {
        form().close();                  // during the copy: the cancel question
        later([&] { form().close(); });  // finished: closes the window
    };
    m_host.showModal();
    ASSERT_EQ(m_runtime.messages.size(), 1u);
    EXPECT_EQ(m_runtime.messages[0].text, kCancelQuestion);
    EXPECT_EQ(m_host.form(), nullptr);
}

TEST_F(ProgressRun, ACountingFailureReachesTheCallerAndDiscardsTheWindow) {
    // No update list: the counting cannot open it.
    EXPECT_THROW(m_host.showModal(), Failure);
    EXPECT_EQ(m_host.form(), nullptr);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* widget) {
        return widget->objectName() == QStringLiteral("Form2");
    }));
}

TEST_F(ProgressRun, UnloadWithoutAWindowCreatesNone) {
    m_host.unload();
    EXPECT_EQ(m_host.form(), nullptr);
    EXPECT_TRUE(m_runtime.calls.empty());
}

TEST(ProgressHost, RefusesToShowWithoutARun) {
    ProgressHost host;
    EXPECT_THROW(host.showModal(), Failure);
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
    EXPECT_EQ(m_form.windowTitle(), QStringLiteral("Copie des Fichiers..."));
    const Qt::WindowFlags flags = m_form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(m_form.minimumSize(), m_form.maximumSize());
}

TEST_F(Form2Layout, ClientAreaAndControlsAt96Dpi) {
    ASSERT_EQ(m_form.logicalDpiX(), 96);
    EXPECT_EQ(m_form.size(), QSize(434, 102));
    struct Row {
        const char* name;
        QRect rect;
    };
    for (const Row& row : {Row{"Label2", QRect(15, 6, 406, 19)}, Row{"Picture1", QRect(15, 36, 406, 22)},
                           Row{"Command1", QRect(168, 72, 94, 22)}}) {
        QWidget* widget = control<QWidget>(m_form, row.name);
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->parentWidget(), &m_form) << row.name;
        EXPECT_EQ(widget->geometry(), row.rect) << row.name;
    }
    // Label1 and Image1 sit at the origin of the trough's drawable area, inside its border.
    auto* trough = control<QFrame>(m_form, "Picture1");
    for (const Row& row : {Row{"Label1", QRect(0, 0, 400, 17)}, Row{"Image1", QRect(0, 0, 266, 32)}}) {
        QWidget* widget = control<QWidget>(m_form, row.name);
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->geometry(), row.rect) << row.name;
        EXPECT_EQ(widget->mapTo(trough, QPoint(0, 0)), trough->contentsRect().topLeft()) << row.name;
    }
}

TEST_F(Form2Layout, DesignCaptionsAndLooks) {
    auto* percent = control<QLabel>(m_form, "Label1");
    EXPECT_EQ(percent->text(), QStringLiteral("100%"));
    EXPECT_TRUE(percent->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_EQ(percent->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(percent->font().bold());
    EXPECT_DOUBLE_EQ(percent->font().pointSizeF(), 9.75);
    EXPECT_FALSE(percent->autoFillBackground());
    EXPECT_EQ(control<QLabel>(m_form, "Label2")->text(), QStringLiteral("Copie de : "));
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

TEST_F(Form2Layout, BarWidthIsGivenInTwips) {
    EXPECT_EQ(m_form.troughWidth(), 6090);
    auto* bar = control<QLabel>(m_form, "Image1");
    for (const auto& [twips, pixels] :
         std::vector<std::pair<float, int>>{{0.0f, 0}, {2030.0f, 135}, {6090.0f, 406}}) {
        m_form.setBarWidth(twips);
        EXPECT_EQ(bar->width(), pixels) << twips;
        EXPECT_EQ(bar->height(), 32) << twips;
    }
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
