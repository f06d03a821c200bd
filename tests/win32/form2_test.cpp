#include "win32/form2.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "copy/progress_form.h"
#include "platform/failure.h"
#include "platform/text_codec.h"
#include "run/run_state.h"
#include "run/session.h"
#include "tests/support/fake_windows.h"
#include "tests/support/scripted_runtime.h"
#include "tests/support/temp_dir.h"
#include "tests/win32/later.h"
#include "win32/message_loop.h"
#include "win32/progress_host.h"

namespace setup::test {
namespace {

const std::wstring kCancelQuestion = L"Etes-vous sur de vouloir annuler la mise \u00E0 jour ?";
const std::wstring kSuccess = L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s";

/// What the window showed at one moment.
struct Snapshot {
    int barWidth;
    std::wstring percent;
    std::wstring status;
    std::wstring button;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshotOf(const Form2& form) {
    return {form.barPixels(), form.percentCaption(), form.statusCaption(), form.buttonCaption()};
}

std::ostream& operator<<(std::ostream& out, const Snapshot& snapshot) {
    return out << snapshot.barWidth << " " << toUtf8(snapshot.percent) << " " << toUtf8(snapshot.status)
               << " " << toUtf8(snapshot.button);
}

RECT placeOf(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
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

/// An update folder, an installation and a run with the real progress window and message loop.
class ProgressRun : public testing::Test {
  protected:
    ProgressRun()
        : m_update(m_root / "update"),
          m_installation(m_root / "Kelvane"),
          m_runtime(fromUtf8(m_update.string())),
          m_host(m_loop),
          m_session{m_runtime, m_state, m_form1, m_host} {
        std::filesystem::create_directories(m_installation);
        m_state.InstallDir = fromUtf8(m_installation.string()) + L"\\";
        m_host.setSession(m_session);
    }

    void writeList(const std::string& text) { writeFile(m_update / "setup.lst", text); }
    void addFile(const std::string& name) { writeFile(m_update / name, name + " content"); }
    Form2& form() { return *m_host.form(); }

    /// Shows the window, lets the copy run to its finished state, records the window then and unloads it.
    Snapshot runToTheFinishedState() {
        Snapshot finished{};
        m_runtime.atPendingPoint[1] = [&] {
            m_later.run([&] {
                finished = snapshotOf(form());
                form().unload();
            });
        };
        m_host.showModal();
        return finished;
    }

    TempDir m_root;
    std::filesystem::path m_update;
    std::filesystem::path m_installation;
    RunState m_state;
    RecordingRuntime m_runtime;
    FakeMainWindow m_form1;
    MessageLoop m_loop;
    ProgressHost m_host;
    Session m_session;
    Later m_later;
};

TEST_F(ProgressRun, ShowsTheBarAndPercentageAsEachFileIsCopied) {
    writeList(";Titre\r\na.txt\r\nb.txt\r\nc.txt\r\n");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) addFile(name);
    std::vector<Snapshot> during;
    m_runtime.beforeCopy = [&] { during.push_back(snapshotOf(form())); };
    Snapshot finished{};
    m_runtime.atPendingPoint[1] = [&] {
        m_later.run([&] {
            finished = snapshotOf(form());
            SendMessageW(form().command1(), BM_CLICK, 0, 0);
        });
    };

    m_host.showModal();

    EXPECT_EQ(during, (std::vector<Snapshot>{{135, L"33%", L"Copie de : a.txt", L"&Annuler"},
                                             {271, L"67%", L"Copie de : b.txt", L"&Annuler"},
                                             {406, L"100%", L"Copie de : c.txt", L"&Annuler"}}));
    EXPECT_EQ(finished, (Snapshot{406, L"100%", kSuccess, L"&Terminer"}));
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
        EXPECT_EQ(runToTheFinishedState(), (Snapshot{406, L"100%", kSuccess, L"&Terminer"}));
    }
}

TEST_F(ProgressRun, EscapeDoesNothingAndAccessKeysPressTheButton) {
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
        m_later.run([&, button] {
            shownAfterEscape = IsWindowVisible(form().handle()) != FALSE;
            messagesAfterEscape = m_runtime.messages.size();
            postAltLetter(button, L'a');  // the caption reads "&Terminer" by now: A is no longer its key
            m_later.run([&, button] {
                loadedAfterAltA = !form().isUnloaded();
                postAltLetter(button, L't');  // closes
            });
        });
    };

    m_host.showModal();

    EXPECT_EQ(messagesDuringCopy, 1u);
    EXPECT_TRUE(shownAfterEscape);
    EXPECT_EQ(messagesAfterEscape, 1u);
    EXPECT_TRUE(loadedAfterAltA);
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
        // During the copy: the cancel question, asked where the program's pump runs the window's events.
        SendMessageW(form().handle(), WM_CLOSE, 0, 0);
        form().runPendingEvents();
        m_later.run([&] { PostMessageW(form().handle(), WM_CLOSE, 0, 0); });  // finished: closes
    };
    m_host.showModal();
    ASSERT_EQ(m_runtime.messages.size(), 1u);
    EXPECT_EQ(m_runtime.messages[0].text, kCancelQuestion);
    EXPECT_EQ(m_host.form(), nullptr);
}

TEST_F(ProgressRun, AConfirmedCancelEndsTheRunFromInsideTheCopy) {
    writeList(";Titre\r\na.txt\r\nb.txt\r\n");
    for (const char* name : {"a.txt", "b.txt"}) addFile(name);
    m_runtime.answers = {box::kYes};
    m_runtime.atPendingPoint[1] = [&] {
        SendMessageW(form().command1(), BM_CLICK, 0, 0);
        form().runPendingEvents();
    };
    try {
        m_host.showModal();
        FAIL() << "the run did not end";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.exitStatus, 1);
    }
    EXPECT_TRUE(m_runtime.copies.empty());
}

TEST_F(ProgressRun, ACountingFailureReachesTheCallerAndDiscardsTheWindow) {
    // No update list: the counting cannot open it.
    EXPECT_THROW(m_host.showModal(), Failure);
    EXPECT_EQ(m_host.form(), nullptr);
    EXPECT_EQ(FindWindowW(L"Form2", nullptr), nullptr);
}

TEST(ProgressHost, RefusesToShowWithoutARun) {
    MessageLoop loop;
    ProgressHost host(loop);
    EXPECT_THROW(host.showModal(), Failure);
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
    wchar_t title[64] = {};
    GetWindowTextW(m_form.handle(), title, 64);
    EXPECT_STREQ(title, L"Copie des Fichiers...");
    const LONG_PTR style = GetWindowLongPtrW(m_form.handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    RECT frame{};
    GetWindowRect(m_form.handle(), &frame);
    EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
}

TEST_F(Form2Layout, ClientAreaAndControlsAt96Dpi) {
    RECT client{};
    GetClientRect(m_form.handle(), &client);
    EXPECT_EQ(client.right, 434);
    EXPECT_EQ(client.bottom, 102);
    struct Row {
        const char* name;
        HWND control;
        RECT place;
    };
    for (const Row& row : {Row{"Label2", m_form.label2(), {15, 6, 421, 25}},
                           Row{"Picture1", m_form.picture1(), {15, 36, 421, 58}},
                           Row{"Command1", m_form.command1(), {168, 72, 262, 94}}}) {
        const RECT place = placeOf(row.control);
        EXPECT_TRUE(EqualRect(&place, &row.place))
            << row.name << " " << place.left << "," << place.top << "," << place.right << "," << place.bottom;
    }
    // The sunken border takes two pixels on each side of the trough.
    GetClientRect(m_form.picture1(), &client);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(client.bottom, 18);
}

TEST_F(Form2Layout, DesignCaptionsAndLooks) {
    EXPECT_EQ(m_form.percentCaption(), L"100%");
    EXPECT_EQ(m_form.statusCaption(), L"Copie de : ");
    EXPECT_EQ(m_form.buttonCaption(), L"&Annuler");
    EXPECT_EQ(m_form.barPixels(), 266);
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

TEST_F(Form2Layout, BarWidthIsGivenInTwips) {
    EXPECT_EQ(m_form.troughWidth(), 6090);
    for (const auto& [twips, pixels] :
         std::vector<std::pair<float, int>>{{0.0f, 0}, {2030.0f, 135}, {6090.0f, 406}}) {
        m_form.setBarWidth(twips);
        EXPECT_EQ(m_form.barPixels(), pixels) << twips;
    }
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
