// An update applies whole or not at all: faults, cancels and stopped runs leave the installation and the
// registry byte for byte as they were, or fully updated.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/update_sequence.h"
#include "platform/text_codec.h"
#include "tests/support/child_process.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

const std::wstring kList = L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n#1.5[Outils]\r\n";
const ShownMessage kFailure{
    L"La mise \u00E0 jour du logiciel Kelvane ne semble pas s'\u00EAtre d\u00E9roul\u00E9e normalement. "
    L"Veuillez recommencer",
    L"Erreur: Mise \u00E0 jour non termin\u00E9e", 16};
const ShownMessage kRecovered{kRecoveredText, kRecoveredTitle, 64};
constexpr int kStopped = 99;

/// Kelvane 2.0 with one installed file, and an update that replaces it, adds a file and adds a file in a
/// new folder, then stamps two versions.
void layOut(UpdateRun& run, const std::wstring& list = kList) {
    run.registerProduct("2.0");
    run.addInstalledFile("kelvane.exe", "old program");
    run.addInstalledFile("lisez-moi.txt", "untouched");
    run.addUpdateFile("kelvane.exe", "new program");
    run.addUpdateFile("aide.txt", "aide");
    run.addUpdateFile("modules/calcul.dll", "calcul");
    run.writeList(list);
}

/// The installation and registry a complete run of kList leaves, less the owners and modes of new files.
void expectUpdated(const UpdateRun& run) {
    const Tree tree = snapshotTree(run.installation);
    std::vector<std::string> names;
    for (const auto& [name, content] : tree)
        names.push_back(name + " " + content.substr(0, content.find('|')));
    EXPECT_EQ(names,
              (std::vector<std::string>{"aide.txt aide", "kelvane.exe new program", "lisez-moi.txt untouched",
                                        "modules <folder>", "modules/calcul.dll calcul"}));
    EXPECT_EQ(run.registryText(), "[Kelvane]\r\nPath=" + run.installation.string() +
                                      "\r\nVersion=3.1\r\n[Outils]\r\nVersion=1.5\r\n");
    EXPECT_EQ(snapshotTree(run.windowsFolder).size(), 1u) << "the registry alone, no temporary file";
}

struct FaultRow {
    const char* name;
    std::function<void(UpdateRun&)> arrange;
    int exitStatus;
    std::wstring list = kList;
};

class Fault : public ::testing::TestWithParam<FaultRow> {};

TEST_P(Fault, LeavesTheInstallationAndTheRegistryAsTheyWere) {
    UpdateRun run;
    layOut(run, GetParam().list);
    const InstallationState before = run.snapshot();
    GetParam().arrange(run);
    InstallationState atFailureMessage;
    run.runtime.onMessage = [&](const ShownMessage& message) {
        if (message == kFailure) atFailureMessage = run.snapshot();
    };

    EXPECT_EQ(run.run(), GetParam().exitStatus);

    EXPECT_EQ(run.snapshot(), before);
    if (GetParam().exitStatus == 3) {
        EXPECT_EQ(run.runtime.messages.back(), kFailure);
        EXPECT_EQ(atFailureMessage, before) << "the user is told once everything is back";
    }
    EXPECT_FALSE(fs::exists(run.updateFolder / "setup.lst")) << "the cleanup still runs";
}

const FaultRow kFaults[] = {
    {"SourceMissing", [](UpdateRun& run) { fs::remove(run.updateFolder / "aide.txt"); }, 3},
    {"DiskFullWhileStaging", [](UpdateRun& run) { run.runtime.failStageCopyAt = 3; }, 3},
    {"FirstRenameOfTheCommit", [](UpdateRun& run) { run.runtime.failRenameAt = 1; }, 3},
    {"RenameIntoPlaceAfterTheMoveAside", [](UpdateRun& run) { run.runtime.failRenameAt = 2; }, 3},
    {"LastRenameOfTheCommit", [](UpdateRun& run) { run.runtime.failRenameAt = 4; }, 3},
    {"FlushOfTheStagedFiles", [](UpdateRun& run) { run.runtime.failFlushAt = 1; }, 3},
    {"FlushOfTheRenames", [](UpdateRun& run) { run.runtime.failFlushAt = 3; }, 3},
    {"StampRefusedAfterAnotherWasWritten", [](UpdateRun&) {}, 3,
     L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n#1.0[A]B]\r\n"},
    {"StampRefusedWithNothingCopied", [](UpdateRun&) {}, 3, L"#3.1\r\n#1.0[A]B]\r\n"},
    {"CancelAtTheLastPointOfTheCopy",
     [](UpdateRun& run) {
         run.runtime.answers = {box::kOk, box::kYes};
         run.runtime.atPendingPoint[3] = [&run] { run.form2.press(); };
     },
     1},
};

INSTANTIATE_TEST_SUITE_P(AllOrNothing, Fault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AllOrNothing, CompleteUpdateLeavesNoneOfTheProgramsOwnFiles) {
    UpdateRun run;
    layOut(run);
    EXPECT_EQ(run.run(), 0);
    expectUpdated(run);
}

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
    {"WhileStaging", L"stage", 2, false},
    {"WhileWritingTheJournal", L"write", 2, false},
    {"BeforeTheFlush", L"flush", 1, true},
    {"BetweenMovingAsideAndRenamingIntoPlace", L"rename", 2, true},
    {"InTheMiddleOfTheCommit", L"rename", 3, true},
    {"AfterTheStampsBeforeTheJournalGoes", L"delete", 1, true},
    {"AfterTheJournalWent", L"delete", 2, false},
};

INSTANTIATE_TEST_SUITE_P(AllOrNothing, StoppedRun, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
