#include "app/cleanup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "run/session.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// "f<number>.txt", appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about "f" + text + ".txt"
/// when it optimises.
std::string numberedName(int number) {
    std::string name = "f";
    name += std::to_string(number);
    name += ".txt";
    return name;
}

/// A list of `count` file entries "f0.txt", "f1.txt", ... whose files all lie in the update folder.
void shipNumberedFiles(UpdateRun& run, int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        const std::string name = numberedName(i);
        list += name + "\r\n";
        run.addUpdateFile(name, "x");
    }
    run.writeList(list);
}

int countReads(const ScriptedRuntime& runtime) {
    return static_cast<int>(
        std::count_if(runtime.calls.begin(), runtime.calls.end(),
                      [](const std::wstring& call) { return call.rfind(L"read ", 0) == 0; }));
}

TEST(CleanupAndExit, BoundedByTheCountItStartsFrom) {
    struct Row {
        const char* name;
        int entries;
        std::int16_t countOnEntry;
        int expectedReads;
    };
    const Row rows[] = {
        {"after a completed copy the first 1001 entries", 1200, 0, 1001},
        {"after a cancel at 10", 1200, 10, 991},
        {"at 1000 exactly one entry", 50, 1000, 1},
        {"above 1000 exactly one entry", 50, 5000, 1},
        {"at the 16-bit limit one entry, the overflow skipped", 50, 32767, 1},
        {"a short list is read to its end", 5, 0, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun run;
        shipNumberedFiles(run, row.entries);
        run.state.FileCount = row.countOnEntry;
        run.state.exitStatus = ExitStatus::Applied;

        EXPECT_EQ(run.cleanup(), 0);

        EXPECT_EQ(countReads(run.runtime), row.expectedReads);
        EXPECT_EQ(static_cast<int>(run.runtime.deletions.size()), row.expectedReads + 1);  // and the list
        EXPECT_FALSE(fs::exists(run.updateFolder / "setup.lst"));
        EXPECT_FALSE(fs::exists(run.updateFolder / numberedName(row.expectedReads - 1)));
        if (row.expectedReads < row.entries) {
            EXPECT_TRUE(fs::exists(run.updateFolder / numberedName(row.expectedReads)));
        }
        EXPECT_EQ(run.filesInUpdateFolder().size(),
                  static_cast<std::size_t>(row.entries - row.expectedReads));
    }
}

TEST(CleanupAndExit, NeverDeletesOutsideTheUpdateFolder) {
    UpdateRun run;
    writeFile(run.root / "outside.txt", "keep");
    writeFile(run.updateFolder / "sub" / "inside.txt", "x");
    const std::string absolute = (run.root / "outside.txt").string();
    run.writeList("..\\outside.txt\r\nsub\\..\\..\\outside.txt\r\n" + absolute +
                  "\r\nC:\\outside.txt\r\n"
                  "sub\\..\\sub\\inside.txt\r\n");

    run.cleanup();

    EXPECT_TRUE(fs::exists(run.root / "outside.txt"));
    EXPECT_FALSE(fs::exists(run.updateFolder / "sub" / "inside.txt"));
}

TEST(CleanupAndExit, EmptyListStillDeletesTheListAndUnloadsBothWindows) {
    UpdateRun run;
    run.writeList(std::string());
    run.state.exitStatus = ExitStatus::Declined;

    EXPECT_EQ(run.cleanup(), 1);

    EXPECT_EQ(countReads(run.runtime), 0);
    EXPECT_TRUE(run.filesInUpdateFolder().empty());
    EXPECT_EQ(run.form1.events.back(), L"unload");
    EXPECT_FALSE(run.form2.loaded());
    EXPECT_EQ(run.form2.loads, 0) << "unloading a window that is not loaded must not load it";
}

TEST(CleanupAndExit, DeletesTheListUnderItsOtherSpelling) {
    UpdateRun run;
    run.writeList(std::string("a.txt\r\n"));
    run.cleanup();
    ASSERT_FALSE(run.runtime.deletions.empty());
    EXPECT_EQ(run.runtime.deletions.back(), run.runtime.programDirectory() + L"\\Setup.lst");
    EXPECT_FALSE(fs::exists(run.updateFolder / "setup.lst"));
}

TEST(CleanupAndExit, WriteProtectedFolderKeepsEverythingAndStillEnds) {
    UpdateRun run;
    shipNumberedFiles(run, 3);
    run.runtime.refuseDeletions = true;
    run.state.exitStatus = ExitStatus::Applied;

    EXPECT_EQ(run.cleanup(), 0);

    EXPECT_EQ(run.filesInUpdateFolder(),
              (std::vector<std::string>{"f0.txt", "f1.txt", "f2.txt", "setup.lst"}));
    EXPECT_EQ(run.form1.events.back(), L"unload");
}

TEST(CleanupAndExit, VanishedListRunsToTheBoundOnTheLastEntry) {
    UpdateRun run;
    run.addUpdateFile("last.txt", "x");
    run.state.CurrentLine = L"last.txt";
    run.state.FileCount = 0;

    EXPECT_EQ(run.cleanup(), 3);

    const auto attempts = std::count(run.runtime.calls.begin(), run.runtime.calls.end(),
                                     L"delete " + run.runtime.programDirectory() + L"\\last.txt");
    EXPECT_EQ(attempts, 1001);
    EXPECT_FALSE(fs::exists(run.updateFolder / "last.txt"));
    EXPECT_EQ(run.state.FileCount, 1001);
}

TEST(CleanupAndExit, ListLeftOpenByAnInterruptedPassIsOpenedAgainUnderANewNumber) {
    UpdateRun run;
    shipNumberedFiles(run, 2);
    run.runtime.openForInput(run.runtime.freeFileNumber(), run.runtime.programDirectory() + L"\\setup.lst");

    run.cleanup();

    EXPECT_EQ(run.state.ListFileNumber, 2);
    EXPECT_TRUE(run.filesInUpdateFolder().empty());
}

}  // namespace
}  // namespace setup::test
