#pragma once

// What both shells' progress windows must show alike: the copy's states, the finished window, a close
// through the frame, the counting's failure, and the layout at 96 dpi. One table of cases, run by each
// shell's tests with a driver of its own, `Shell`, which has:
//   using Form;                               the shell's progress window
//   ProgressHost& host();                     the window as the sequence shows it, with form()
//   void later(std::function<void()>);        runs an action once the modal loop is back
//   static ProgressSnapshot shown(Form&);     what the window shows now
//   static void pressButton(Form&);           a click on the button
//   static void closeThroughFrame(Form&);     the frame's close, answered where the loop answers it
//   static bool anyFormOnScreen();            whether a progress window exists on the screen
//   static std::unique_ptr<Form> layOut(Session&);   the window made, never shown
//   static std::wstring title(Form&);
//   static ControlPlace clientArea(Form&);
//   static ControlPlace placeOf(Form&, const char* control);   in the parent's client area

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
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

namespace setup::test {

/// What the window showed at one moment.
struct ProgressSnapshot {
    int barWidth;
    std::wstring percent;
    std::wstring status;
    std::wstring button;
    bool operator==(const ProgressSnapshot&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ProgressSnapshot& snapshot) {
    return out << snapshot.barWidth << " " << toUtf8(snapshot.percent) << " " << toUtf8(snapshot.status)
               << " " << toUtf8(snapshot.button);
}

/// A rectangle in pixels.
struct ControlPlace {
    int x;
    int y;
    int width;
    int height;
    bool operator==(const ControlPlace&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ControlPlace& place) {
    return out << place.x << "," << place.y << " " << place.width << "x" << place.height;
}

inline const std::wstring kCancelQuestion = L"Etes-vous sur de vouloir annuler la mise \u00E0 jour ?";
inline const ProgressSnapshot kFinishedWindow{
    406, L"100%", L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s", L"&Terminer"};

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

/// An update folder, an installation and a run with the shell's real progress window and modal loop.
template <class Shell>
class ProgressRun : public testing::Test {
  protected:
    using Form = typename Shell::Form;

    ProgressRun()
        : m_update(m_root / "update"),
          m_installation(m_root / "Kelvane"),
          m_runtime(fromUtf8(m_update.string())),
          m_session{m_runtime, m_state, m_form1, m_shell.host()} {
        std::filesystem::create_directories(m_installation);
        m_state.InstallDir = fromUtf8(m_installation.string()) + L"\\";
        m_shell.host().setSession(m_session);
    }

    void writeList(const std::string& text) { writeFile(m_update / "setup.lst", text); }
    void addFile(const std::string& name) { writeFile(m_update / name, name + " content"); }
    Form& form() { return *m_shell.host().form(); }

    /// Shows the window, lets the copy run to its finished state, records the window then and unloads it.
    ProgressSnapshot runToTheFinishedState() {
        ProgressSnapshot finished{};
        m_runtime.atPendingPoint[1] = [&] {
            m_shell.later([&] {
                finished = Shell::shown(form());
                form().unload();
            });
        };
        m_shell.host().showModal();
        return finished;
    }

    TempDir m_root;
    std::filesystem::path m_update;
    std::filesystem::path m_installation;
    RunState m_state;
    RecordingRuntime m_runtime;
    FakeMainWindow m_form1;
    Shell m_shell;
    Session m_session;
};

TYPED_TEST_SUITE_P(ProgressRun);

TYPED_TEST_P(ProgressRun, ShowsTheBarAndPercentageAsEachFileIsCopied) {
    this->writeList(";Titre\r\na.txt\r\nb.txt\r\nc.txt\r\n");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) this->addFile(name);
    std::vector<ProgressSnapshot> during;
    this->m_runtime.beforeCopy = [&] { during.push_back(TypeParam::shown(this->form())); };
    ProgressSnapshot finished{};
    this->m_runtime.atPendingPoint[1] = [&] {
        this->m_shell.later([&] {
            finished = TypeParam::shown(this->form());
            TypeParam::pressButton(this->form());
        });
    };

    this->m_shell.host().showModal();

    EXPECT_EQ(during, (std::vector<ProgressSnapshot>{{135, L"33%", L"Copie de : a.txt", L"&Annuler"},
                                                     {271, L"67%", L"Copie de : b.txt", L"&Annuler"},
                                                     {406, L"100%", L"Copie de : c.txt", L"&Annuler"}}));
    EXPECT_EQ(finished, kFinishedWindow);
    EXPECT_EQ(readFile(this->m_installation / "c.txt"), "c.txt content");
    EXPECT_EQ(this->m_shell.host().form(), nullptr);  // unloaded by "&Terminer" and destroyed
}

TYPED_TEST_P(ProgressRun, FinishedWindowShowsAFullBarAndAHundredPercent) {
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
        this->writeList(row.list);
        this->addFile("a.txt");
        this->m_state.FileCount = 0;
        this->m_runtime.pendingPoints = 0;
        EXPECT_EQ(this->runToTheFinishedState(), kFinishedWindow);
    }
}

TYPED_TEST_P(ProgressRun, ClosingThroughTheFrameActsLikeTheButton) {
    this->writeList(";Titre\r\na.txt\r\n");
    this->addFile("a.txt");
    this->m_runtime.answers = {box::kNo};
    this->m_runtime.atPendingPoint[1] = [&] {
        TypeParam::closeThroughFrame(this->form());                                // copying: asks
        this->m_shell.later([&] { TypeParam::closeThroughFrame(this->form()); });  // finished: closes
    };
    this->m_shell.host().showModal();
    ASSERT_EQ(this->m_runtime.messages.size(), 1u);
    EXPECT_EQ(
        this->m_runtime.messages[0],
        (ShownMessage{kCancelQuestion, L"Interruption de la Mise \u00E0 jour...", box::kQuestionYesNo}));
    EXPECT_EQ(readFile(this->m_installation / "a.txt"), "a.txt content");  // No let the copy go on
    EXPECT_EQ(this->m_shell.host().form(), nullptr);
}

TYPED_TEST_P(ProgressRun, ACountingFailureReachesTheCallerAndDiscardsTheWindow) {
    // No update list: the counting cannot open it.
    EXPECT_THROW(this->m_shell.host().showModal(), Failure);
    EXPECT_EQ(this->m_shell.host().form(), nullptr);
    EXPECT_FALSE(TypeParam::anyFormOnScreen());
}

TYPED_TEST_P(ProgressRun, UnloadWithoutAWindowCreatesNone) {
    this->m_shell.host().unload();
    EXPECT_EQ(this->m_shell.host().form(), nullptr);
    EXPECT_TRUE(this->m_runtime.calls.empty());
}

TYPED_TEST_P(ProgressRun, RefusesToShowWithoutARun) {
    TypeParam shell;
    EXPECT_THROW(shell.host().showModal(), Failure);
}

REGISTER_TYPED_TEST_SUITE_P(ProgressRun, ShowsTheBarAndPercentageAsEachFileIsCopied,
                            FinishedWindowShowsAFullBarAndAHundredPercent,
                            ClosingThroughTheFrameActsLikeTheButton,
                            ACountingFailureReachesTheCallerAndDiscardsTheWindow,
                            UnloadWithoutAWindowCreatesNone, RefusesToShowWithoutARun);

/// The window as laid out, never shown, so that no handler runs.
template <class Shell>
class ProgressLayout : public testing::Test {
  protected:
    ProgressLayout()
        : m_runtime(L"C:\\nonexistent"),
          m_session{m_runtime, m_state, m_form1, m_form2},
          m_form(Shell::layOut(m_session)) {}

    RunState m_state;
    ScriptedRuntime m_runtime;
    FakeMainWindow m_form1;
    FakeProgressWindow m_form2;
    Session m_session;
    std::unique_ptr<typename Shell::Form> m_form;
};

TYPED_TEST_SUITE_P(ProgressLayout);

TYPED_TEST_P(ProgressLayout, TitleClientAreaAndControlsAt96Dpi) {
    auto& form = *this->m_form;
    EXPECT_EQ(TypeParam::title(form), L"Copie des Fichiers...");
    EXPECT_EQ(TypeParam::clientArea(form), (ControlPlace{0, 0, 434, 102}));
    struct Row {
        const char* name;
        ControlPlace place;
    };
    for (const Row& row : {Row{"Label2", {15, 6, 406, 19}}, Row{"Picture1", {15, 36, 406, 22}},
                           Row{"Command1", {168, 72, 94, 22}}}) {
        EXPECT_EQ(TypeParam::placeOf(form, row.name), row.place) << row.name;
    }
}

TYPED_TEST_P(ProgressLayout, DesignCaptionsAndBarWidthInTwips) {
    auto& form = *this->m_form;
    EXPECT_EQ(TypeParam::shown(form), (ProgressSnapshot{266, L"100%", L"Copie de : ", L"&Annuler"}));
    EXPECT_EQ(form.troughWidth(), 6090);
    for (const auto& [twips, pixels] :
         std::vector<std::pair<float, int>>{{0.0f, 0}, {2030.0f, 135}, {6090.0f, 406}}) {
        form.setBarWidth(twips);
        EXPECT_EQ(TypeParam::shown(form).barWidth, pixels) << twips;
    }
}

REGISTER_TYPED_TEST_SUITE_P(ProgressLayout, TitleClientAreaAndControlsAt96Dpi,
                            DesignCaptionsAndBarWidthInTwips);

}  // namespace setup::test
