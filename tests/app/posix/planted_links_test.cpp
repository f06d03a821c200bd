// A folder of the installation or of the update folder swapped for a link to a folder outside, before the
// run, between its plan and its commit, or by a second process as fast as it can: nothing outside ever
// changes, and each run ends applied, refused or failed with the installation old or new.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/text_codec.h"
#include "tests/app/update_run_fixture.h"
#include "tests/support/child_process.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 200;
const std::wstring kUndoneText = L"l'installation est revenue \u00E0 son \u00E9tat d'avant";

std::string fileName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.txt", index);
    return name;
}

/// Every file below `folder`, links not followed, with its bytes ("<link> target" for a link).
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            contents[name] = "<link> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            contents[name] = readFile(it->path());
    }
    return contents;
}

bool exchange(const fs::path& a, const fs::path& b) {
    return ::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

/// An update of kFiles files in `sub`, over an installation that has them, beside a folder `outside`
/// holding files of the same names, and a link to it in the installation and in the update folder.
struct LinkedUpdate {
    LinkedUpdate() {
        run.registerProduct("1.0");
        std::wstring list = L";Mise \u00E0 jour\r\n";
        for (int i = 0; i < kFiles; ++i) {
            run.addUpdateFile("sub/" + fileName(i), "new " + std::to_string(i));
            run.addInstalledFile("sub/" + fileName(i), "old " + std::to_string(i));
            writeFile(run.root / "outside" / fileName(i), "victim " + std::to_string(i));
            list += L"sub\\" + fromUtf8(fileName(i)) + L"\r\n";
        }
        run.writeList(list);
        fs::create_directory_symlink("../outside", run.installation / "swap");
        fs::create_directory_symlink("../outside", run.updateFolder / "swap");
        outsideBefore = contentsOf(run.root / "outside");
    }

    /// Puts each real folder back at `sub`, wherever the swaps left it.
    void restore() {
        for (const fs::path& folder : {run.installation, run.updateFolder}) {
            if (fs::is_symlink(folder / "sub")) {
                ASSERT_TRUE(exchange(folder / "sub", folder / "swap"));
            }
        }
    }

    /// What the installation's files hold: "old", "new", or "mixed".
    std::string installedState() const {
        int old = 0, updated = 0;
        for (int i = 0; i < kFiles; ++i) {
            const std::string bytes = readFile(run.installation / "sub" / fileName(i));
            old += bytes == "old " + std::to_string(i);
            updated += bytes == "new " + std::to_string(i);
        }
        return old == kFiles ? "old" : updated == kFiles ? "new" : "mixed";
    }

    /// The program's own files left anywhere below the test's folder.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> left;
        for (auto it = fs::recursive_directory_iterator(run.root.path());
             it != fs::recursive_directory_iterator(); ++it) {
            const std::string name = it->path().filename().string();
            if (name.find(".setup-") != std::string::npos) left.push_back(it->path().string());
        }
        return left;
    }

    bool logSaysUndone() const {
        for (const std::wstring& event : run.runtime.events) {
            if (event.find(kUndoneText) != std::wstring::npos) return true;
        }
        return false;
    }

    /// Checks what every run must leave, whatever it met.
    void expectSoundEnd(int status) {
        restore();
        EXPECT_EQ(contentsOf(run.root / "outside"), outsideBefore)
            << "a file outside the installation changed";
        EXPECT_TRUE(leftovers().empty()) << leftovers().front();
        const std::string state = installedState();
        if (status == 0) {
            EXPECT_EQ(state, "new");
        } else {
            EXPECT_TRUE(status == 2 || status == 3) << status;
            EXPECT_EQ(state, "old");
        }
        if (logSaysUndone()) {
            EXPECT_EQ(state, "old") << "the log says the installation is back as it was";
        }
    }

    UpdateRun run;
    std::map<std::string, std::string> outsideBefore;
};

struct SwapRow {
    const char* name;
    const char* call;     ///< the swap happens just before the first file change of this kind
    const char* swapped;  ///< "installation" or "update"
    friend void PrintTo(const SwapRow& row, std::ostream* out) { *out << row.name; }
};

class LinkAppearing : public ::testing::TestWithParam<SwapRow> {};

// Once the plan has reached a folder, the run writes through the folder it opened then: a link put in
// its place afterwards leads nowhere.
TEST_P(LinkAppearing, ChangesNothingOutsideAndTheRunEndsWhole) {
    LinkedUpdate update;
    const fs::path folder =
        std::string(GetParam().swapped) == "installation" ? update.run.installation : update.run.updateFolder;
    bool swapped = false;
    update.run.runtime.beforeFileChange = [&](const std::wstring& call) {
        if (!swapped && call.starts_with(fromUtf8(GetParam().call)))
            swapped = exchange(folder / "sub", folder / "swap");
    };

    const int status = update.run.run();

    EXPECT_TRUE(swapped);
    update.expectSoundEnd(status);
    EXPECT_EQ(status, 0) << "the folders held since the plan are where the run goes on writing";
}

INSTANTIATE_TEST_SUITE_P(
    PlantedLinks, LinkAppearing,
    ::testing::Values(SwapRow{"InstallationFolderBeforeStaging", "write", "installation"},
                      SwapRow{"InstallationFolderDuringStaging", "stage", "installation"},
                      SwapRow{"InstallationFolderDuringCommit", "rename", "installation"},
                      SwapRow{"UpdateFolderDuringStaging", "stage", "update"},
                      SwapRow{"UpdateFolderBeforeCleanup", "delete", "update"}),
    [](const auto& info) { return info.param.name; });

// A folder the plan will create, planted as a link before it is: the run stops and is undone.
TEST(PlantedLinks, ALinkWhereTheRunCreatesAFolderFailsTheRunAndIsNotFollowed) {
    LinkedUpdate update;
    update.run.addUpdateFile("neuf/x.txt", "x");
    update.run.writeList(std::string(";Mise a jour\r\nsub\\f000.txt\r\nneuf\\x.txt\r\n"));
    update.run.runtime.beforeFileChange = [&](const std::wstring& call) {
        if (call.starts_with(L"write") && !fs::is_symlink(update.run.installation / "neuf"))
            fs::create_directory_symlink("../outside", update.run.installation / "neuf");
    };

    const int status = update.run.run();

    EXPECT_EQ(status, 3);
    fs::remove(update.run.installation / "neuf");
    update.expectSoundEnd(status);
    EXPECT_TRUE(update.logSaysUndone());
}

// A second process swaps a folder of the installation and one of the update folder with links to a
// folder outside, as fast as it can, while whole runs go on.
TEST(PlantedLinks, ASwappingAdversaryNeverRedirectsARun) {
    constexpr int kRuns = 20;
    std::map<int, int> endings;
    for (int round = 0; round < kRuns; ++round) {
        LinkedUpdate update;
        const fs::path installation = update.run.installation;
        const fs::path updateFolder = update.run.updateFolder;
        const int swapper = startChild([&] {
            for (;;) {
                exchange(installation / "sub", installation / "swap");
                exchange(updateFolder / "sub", updateFolder / "swap");
            }
            return 0;
        });
        const int status = update.run.run();
        ::kill(swapper, SIGKILL);
        waitForChild(swapper);
        ++endings[status];
        SCOPED_TRACE("run " + std::to_string(round) + " ended with " + std::to_string(status));
        update.expectSoundEnd(status);
        if (HasFailure()) break;
    }
    for (const auto& [status, count] : endings) RecordProperty("exit_" + std::to_string(status), count);
}

}  // namespace
}  // namespace setup::test
