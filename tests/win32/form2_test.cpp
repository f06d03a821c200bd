#include "win32/form2.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/progress_window_agreement.h"
#include "tests/win32/later.h"
#include "win32/message_loop.h"
#include "win32/progress_host.h"

namespace setup::test {
namespace {

RECT placeInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

/// The Windows program's progress window and message loop, as the shared cases drive them.
class Win32Shell {
  public:
    using Form = Form2;

    ProgressHost& host() { return m_host; }
    void later(std::function<void()> action) { m_later.run(std::move(action)); }

    static ProgressSnapshot shown(Form2& form) {
        return {form.barPixels(), form.percentCaption(), form.statusCaption(), form.buttonCaption()};
    }
    static void pressButton(Form2& form) { SendMessageW(form.command1(), BM_CLICK, 0, 0); }
    /// The close is answered where the program's pump runs the window's events.
    static void closeThroughFrame(Form2& form) {
        SendMessageW(form.handle(), WM_CLOSE, 0, 0);
        form.runPendingEvents();
    }
    static bool anyFormOnScreen() { return FindWindowW(L"Form2", nullptr) != nullptr; }
    static std::unique_ptr<Form2> layOut(Session& session) {
        return std::make_unique<Form2>(session, nullptr);
    }
    static std::wstring title(Form2& form) {
        wchar_t title[64] = {};
        GetWindowTextW(form.handle(), title, 64);
        return title;
    }
    static ControlPlace clientArea(Form2& form) {
        RECT client{};
        GetClientRect(form.handle(), &client);
        return {client.left, client.top, client.right - client.left, client.bottom - client.top};
    }
    static ControlPlace placeOf(Form2& form, const char* name) {
        const std::string control = name;
        HWND child = control == "Label2"     ? form.label2()
                     : control == "Picture1" ? form.picture1()
                     : control == "Command1" ? form.command1()
                                             : nullptr;
        if (child == nullptr || GetParent(child) != form.handle()) return {-1, -1, -1, -1};
        const RECT place = placeInParent(child);
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }

  private:
    MessageLoop m_loop;
    ProgressHost m_host{m_loop};
    Later m_later;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ProgressRun, Win32Shell);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ProgressLayout, Win32Shell);

using Win32ProgressRun = ProgressRun<Win32Shell>;

TEST_F(Win32ProgressRun, EscapeDoesNothingAndAccessKeysPressTheButton) {
    writeList(";Titre\r\na.txt\r\n");
    addFile("a.txt");
    m_runtime.answers = {box::kNo};
    std::size_t messagesDuringCopy = 0;
    bool shownAfterEscape = false;
    std::size_t messagesAfterEscape = 99;
    bool loadedAfterAltA = false;
    m_runtime.atPendingPoint[1] = [&] {
        HWND button = form().command1();
        // During the copy Alt+A asks at once, where the program's pump runs the window's events.
        EXPECT_TRUE(form().preTranslate(MSG{button, WM_SYSCHAR, L'a', 0, 0, {}}));
        form().runPendingEvents();
        messagesDuringCopy = m_runtime.messages.size();
        postKey(button, VK_ESCAPE);
        m_shell.later([&, button] {
            shownAfterEscape = IsWindowVisible(form().handle()) != FALSE;
            messagesAfterEscape = m_runtime.messages.size();
            postAltLetter(button, L'a');  // the caption reads "&Terminer" by now: A is no longer its key
            m_shell.later([&, button] {
                loadedAfterAltA = !form().isUnloaded();
                postAltLetter(button, L't');  // closes
            });
        });
    };

    m_shell.host().showModal();

    EXPECT_EQ(messagesDuringCopy, 1u);
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(messagesAfterEscape, 1u);
    EXPECT_TRUE(loadedAfterAltA);
    ASSERT_EQ(m_runtime.messages.size(), 1u);
    EXPECT_EQ(m_runtime.messages[0], (ShownMessage{kCancelQuestion, L"Interruption de la Mise \u00E0 jour...",
                                                   box::kQuestionYesNo}));
    EXPECT_EQ(readFile(m_installation / "a.txt"), "a.txt content");  // No let the copy go on
    EXPECT_EQ(m_shell.host().form(), nullptr);
}

TEST_F(Win32ProgressRun, AConfirmedCancelEndsTheRunFromInsideTheCopy) {
    writeList(";Titre\r\na.txt\r\nb.txt\r\n");
    for (const char* name : {"a.txt", "b.txt"}) addFile(name);
    m_runtime.answers = {box::kYes};
    m_runtime.atPendingPoint[1] = [&] {
        SendMessageW(form().command1(), BM_CLICK, 0, 0);
        form().runPendingEvents();
    };
    try {
        m_shell.host().showModal();
        FAIL() << "the run did not end";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.exitStatus, 1);
    }
    EXPECT_TRUE(m_runtime.copies.empty());
}

/// The window as laid out, never shown, so that no handler runs.
class Form2Layout : public testing::Test {
  protected:
    Form2Layout()
        : m_runtime(L"C:\\nonexistent"),
          m_session{m_runtime, m_state, m_form1, m_form2},
          m_form(m_session, nullptr) {}

    RunState m_state;
    ScriptedRuntime m_runtime;
    FakeMainWindow m_form1;
    FakeProgressWindow m_form2;
    Session m_session;
    Form2 m_form;
};

TEST_F(Form2Layout, IsAFixedCentredDialogWithoutBoxes) {
    const LONG_PTR style = GetWindowLongPtrW(m_form.handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    RECT frame{};
    GetWindowRect(m_form.handle(), &frame);
    EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
}

TEST_F(Form2Layout, TheTroughsSunkenBorderTakesTwoPixelsOnEachSide) {
    RECT client{};
    GetClientRect(m_form.picture1(), &client);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(client.bottom, 18);
}

TEST_F(Form2Layout, Looks) {
    EXPECT_NE(GetWindowLongPtrW(m_form.picture1(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    // Neither the default button nor drawn as one; a file name with "&" shows as written.
    EXPECT_EQ(GetWindowLongPtrW(m_form.command1(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_NE(GetWindowLongPtrW(m_form.label2(), GWL_STYLE) & SS_NOPREFIX, 0);
}

TEST_F(Form2Layout, TheTroughShowsTheBarAndThePercentage) {
    ShowWindow(m_form.handle(), SW_SHOWNA);
    m_form.setBarWidth(2030.0f);
    m_form.repaintPercent();
    HDC dc = GetDC(m_form.picture1());
    EXPECT_EQ(GetPixel(dc, 2, 16), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 134, 16), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 136, 16), RGB(255, 255, 255));
    bool red = false;
    for (int y = 0; y < 17 && !red; ++y) {
        for (int x = 150; x < 250 && !red; ++x) red = GetPixel(dc, x, y) == RGB(255, 0, 0);
    }
    EXPECT_TRUE(red);
    ReleaseDC(m_form.picture1(), dc);
}

TEST_F(Form2Layout, EnterActsOnTheButtonThroughTheFocusOnly) {
    m_form.setButtonCaption(kFinishCaption);  // a press then only unloads
    MSG enter{m_form.command1(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    SetFocus(nullptr);
    EXPECT_TRUE(m_form.preTranslate(enter));
    m_form.runPendingEvents();
    EXPECT_FALSE(m_form.isUnloaded());
    ShowWindow(m_form.handle(), SW_SHOW);
    SetFocus(m_form.command1());
    ASSERT_EQ(GetFocus(), m_form.command1());
    EXPECT_TRUE(m_form.preTranslate(enter));
    m_form.runPendingEvents();
    EXPECT_TRUE(m_form.isUnloaded());
}

TEST_F(Form2Layout, AccessKeyFollowsTheCaption) {
    struct Row {
        const wchar_t* caption;
        wchar_t letter;
        bool taken;
    };
    for (const Row& row :
         {Row{L"&Annuler", L'a', true}, Row{L"&Annuler", L'A', true}, Row{L"&Annuler", L't', false},
          Row{L"&Terminer", L't', true}, Row{L"&Terminer", L'a', false}, Row{L"R&&D", L'd', false}}) {
        m_form.setButtonCaption(row.caption);
        EXPECT_EQ(m_form.preTranslate(MSG{m_form.command1(), WM_SYSCHAR, row.letter, 0, 0, {}}), row.taken)
            << toUtf8(row.caption) << " " << static_cast<char>(row.letter);
    }
}

}  // namespace
}  // namespace setup::test
