// What an all-or-nothing update keeps on Linux: the installed file's mode and owner, a disk that fills up,
// and runs stopped at any call, put back by the next start.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/app/all_or_nothing_run.h"
#include "tests/support/child_process.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

constexpr int kStopped = 99;

TEST(AllOrNothing, ReplacedFileKeepsTheInstalledFilesModeAndOwner) {
    UpdateRun run;
    layOut(run);
    const fs::path program = run.installation / "kelvane.exe";
    ::chmod(program.c_str(), 0750);
    ::chmod((run.updateFolder / "kelvane.exe").c_str(), 0644);
    const bool givenAway = ::geteuid() == 0 && ::chown(program.c_str(), 1234, 5678) == 0;

    EXPECT_EQ(run.run(), 0);

    struct stat st {};
    ASSERT_EQ(::stat(program.c_str(), &st), 0);
    EXPECT_EQ(readFile(program), "new program");
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    if (givenAway) {
        EXPECT_EQ(st.st_uid, 1234u);
    }
}

/// A disk that fills up: a small file system when one can be mounted here, else the copy is told the
/// disk is full.
TEST(AllOrNothing, FullDiskChangesNothing) {
    UpdateRun run;
    layOut(run);
    const bool mounted = ::mount("tmpfs", run.installation.c_str(), "tmpfs", 0, "size=64k") == 0;
    if (mounted) {
        run.addInstalledFile("kelvane.exe", "old program");
        run.addInstalledFile("lisez-moi.txt", "untouched");
        run.addUpdateFile("aide.txt", std::string(256 * 1024, 'a'));
    } else {
        run.runtime.failStageCopyAt = 2;
    }
    const InstallationState before = run.snapshot();

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.snapshot(), before);
    if (mounted) ::umount2(run.installation.c_str(), MNT_DETACH);
}

struct StopRow {
    const char* name;
    std::wstring call;  ///< the kind of call the run stops before ("stage", "write", ...)
    int occurrence;     ///< which call of that kind
    bool journalLeft;   ///< whether the stop leaves a journal for the next start
};

class StoppedRun : public ::testing::TestWithParam<StopRow> {};

TEST_P(StoppedRun, IsPutBackAtTheNextStartWhichThenUpdates) {
    UpdateRun run;
    layOut(run);
    const InstallationState before = run.snapshot();
    const StopRow& row = GetParam();

    const int status = runInChild([&run, &row] {
        int seen = 0;
        run.runtime.beforeFileChange = [&](const std::wstring& call) {
            if (call.rfind(row.call, 0) == 0 && ++seen == row.occurrence) std::_Exit(kStopped);
        };
        return run.run();
    });
    ASSERT_EQ(status, kStopped) << "the run stops at the chosen call";

    // The next start: the state the user is told about is the one from before the update.
    InstallationState atMessage;
    run.runtime.onMessage = [&](const ShownMessage& message) {
        if (message == kRecovered) atMessage = run.snapshot();
    };
    EXPECT_EQ(run.run(), 0);

    if (row.journalLeft) {
        ASSERT_FALSE(run.runtime.messages.empty());
        EXPECT_EQ(run.runtime.messages.front(), kRecovered);
        EXPECT_EQ(atMessage, before);
    } else {
        EXPECT_NE(run.runtime.messages.front(), kRecovered);
    }
    expectUpdated(run);
}

const StopRow kStops[] = {
    {"BeforeTheJournal", L"write", 1, false},
    {"BeforeTheJournalIsFlushed", L"flush", 1, true},
    {"WhileStaging", L"stage", 2, true},
    {"BeforeTheStagedFilesAreFlushed", L"flush", 3, true},
    {"BetweenMovingAsideAndRenamingIntoPlace", L"rename", 2, true},
    {"InTheMiddleOfTheCommit", L"rename", 3, true},
    {"AfterTheStampsBeforeTheUpdateIsFinal", L"rename", 5, true},
    {"AfterTheUpdateIsFinal", L"delete", 1, false},
    {"AfterTheFinalJournalWent", L"delete", 2, false},
};

INSTANTIATE_TEST_SUITE_P(AllOrNothing, StoppedRun, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
