#include "qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

/// What a message box looked like while it was open.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool modal = false;
    QWidget* parent = nullptr;
};

/// Shows a box through the runtime; once it is open, notes what it shows and lets `act` answer it.
int showAndAnswer(QtHost& runtime, const std::wstring& text, int style, const std::wstring& title,
                  SeenBox& seen, const std::function<void(QMessageBox&)>& act) {
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                ADD_FAILURE() << "no message box open";
                return;
            }
            seen.text = box->text();
            seen.title = box->windowTitle();
            seen.icon = box->icon();
            for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
            seen.defaultButton = box->defaultButton() != nullptr ? box->defaultButton()->text() : QString();
            seen.modal = box->isModal();
            seen.parent = box->parentWidget();
            act(*box);
        },
        Qt::QueuedConnection);
    return runtime.messageBox(text, style, title);
}

void pressEscape(QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }
void pressEnter(QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }
void closeBox(QMessageBox& box) { box.close(); }

struct StyleRow {
    std::string name;
    int style;
    QMessageBox::Icon icon;
    QStringList buttons;  // in order; the first is the default
    int enterAnswer;
    int escapeAnswer;
};

class MessageBoxStyles : public testing::TestWithParam<StyleRow> {
  protected:
    QtHost m_runtime{std::wstring(L"/")};
};

TEST_P(MessageBoxStyles, ShowIconButtonsAndDefault) {
    const StyleRow& row = GetParam();
    SeenBox seen;
    showAndAnswer(m_runtime, L"Le texte <b>tel quel</b>", row.style, L"Le titre", seen, pressEnter);
    EXPECT_EQ(seen.text, QStringLiteral("Le texte <b>tel quel</b>"));
    EXPECT_EQ(seen.title, QStringLiteral("Le titre"));
    EXPECT_EQ(seen.icon, row.icon);
    QStringList sorted = seen.buttons;
    QStringList expected = row.buttons;
    sorted.sort();
    expected.sort();
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(seen.defaultButton, row.buttons.front());
    EXPECT_TRUE(seen.modal);
}

TEST_P(MessageBoxStyles, EnterAnswersTheDefaultButton) {
    SeenBox seen;
    EXPECT_EQ(showAndAnswer(m_runtime, L"t", GetParam().style, L"t", seen, pressEnter),
              GetParam().enterAnswer);
}

TEST_P(MessageBoxStyles, EscapeAnswersCancelOrNo) {
    SeenBox seen;
    EXPECT_EQ(showAndAnswer(m_runtime, L"t", GetParam().style, L"t", seen, pressEscape),
              GetParam().escapeAnswer);
}

TEST_P(MessageBoxStyles, ClosingTheBoxAnswersLikeEscape) {
    SeenBox seen;
    EXPECT_EQ(showAndAnswer(m_runtime, L"t", GetParam().style, L"t", seen, closeBox),
              GetParam().escapeAnswer);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxStyles,
    testing::Values(
        StyleRow{"Critical", 16, QMessageBox::Critical, {"OK"}, box::kOk, box::kOk},
        StyleRow{"Exclamation", 48, QMessageBox::Warning, {"OK"}, box::kOk, box::kOk},
        StyleRow{"QuestionOkCancel", 33, QMessageBox::Question, {"OK", "Annuler"}, box::kOk, box::kCancel},
        StyleRow{"QuestionYesNo", 36, QMessageBox::Question, {"&Oui", "&Non"}, box::kYes, box::kNo}),
    [](const testing::TestParamInfo<StyleRow>& info) { return info.param.name; });

struct ButtonRow {
    std::string name;
    int style;
    QMessageBox::StandardButton button;
    int answer;
};

class MessageBoxAnswers : public testing::TestWithParam<ButtonRow> {};

TEST_P(MessageBoxAnswers, EachButtonGivesItsAnswer) {
    QtHost runtime{std::wstring(L"/")};
    SeenBox seen;
    const ButtonRow& row = GetParam();
    EXPECT_EQ(showAndAnswer(runtime, L"t", row.style, L"t", seen,
                            [&](QMessageBox& box) { box.button(row.button)->click(); }),
              row.answer);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxAnswers,
                         testing::Values(ButtonRow{"Ok", 33, QMessageBox::Ok, 1},
                                         ButtonRow{"Cancel", 33, QMessageBox::Cancel, 2},
                                         ButtonRow{"Yes", 36, QMessageBox::Yes, 6},
                                         ButtonRow{"No", 36, QMessageBox::No, 7}),
                         [](const testing::TestParamInfo<ButtonRow>& info) { return info.param.name; });

TEST(QtHost, MessageBoxesShowAboveTheMainWindow) {
    QtHost runtime{std::wstring(L"/")};
    QWidget mainWindow;
    mainWindow.show();
    runtime.setMessageBoxParent(&mainWindow);
    SeenBox seen;
    showAndAnswer(runtime, L"t", 16, L"t", seen, pressEnter);
    EXPECT_EQ(seen.parent, &mainWindow);
}

TEST(QtHost, AMainWindowGoneLeavesBoxesWithoutParent) {
    QtHost runtime{std::wstring(L"/")};
    {
        QWidget mainWindow;
        runtime.setMessageBoxParent(&mainWindow);
    }
    SeenBox seen;
    EXPECT_EQ(showAndAnswer(runtime, L"t", 16, L"t", seen, pressEnter), box::kOk);
    EXPECT_EQ(seen.parent, nullptr);
}

TEST(QtHost, MessageBoxTitleShowsTheTextToTheLetter) {
    const std::wstring title = L"Mise \u00E0 jour [*] 3.1";
    const std::unique_ptr<QMessageBox> box = makeMessageBox(L"Voulez-vous ?", 33, title, nullptr);
    box->winId();  // the title the system shows is made when the window is
    EXPECT_EQ(box->windowHandle()->title(), QString::fromStdWString(title));
}

TEST(QtHost, ProcessPendingMessagesHandlesWhatIsQueued) {
    QtHost runtime{std::wstring(L"/")};
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    runtime.processPendingMessages();
    EXPECT_TRUE(ran);
}

TEST(QtHostDeathTest, EndProgramEndsWithTheStatusAndFlushesWhatWasWritten) {
    // The child is forked: it shares the folder made here and never touches the windows.
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir folder;
    const std::filesystem::path written = folder / "written.txt";
    EXPECT_EXIT(
        {
            QtHost runtime{std::wstring(L"/")};
            std::FILE* file = std::fopen(written.c_str(), "w");
            std::fputs("kept", file);  // still in the stream's buffer
            runtime.endProgram(3);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_EQ(readFile(written), "kept");
}

}  // namespace
}  // namespace setup::test
