// Symbolic links out of the folders and a sparse file of 4 GiB: what the Wine prefix the Windows tests run
// in cannot make.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "run/cleanup.h"
#include "tests/app/update_run_fixture.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

TEST_F(UpdateRunTest, LinkLeavingTheFoldersRefusesTheWholeUpdateBeforeAnyCopy) {
    struct Row {
        const char* name;
        std::wstring entry;
    };
    const Row rows[] = {
        {"a link in the update folder leading out of it", L"dl\\keep.txt"},
        {"a link in the update folder to a file outside it", L"link.txt"},
        {"a link in the installation leading out of it", L"out\\aide.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("aide.txt", "aide");
        fresh.addUpdateFile("out/aide.txt", "aide");
        writeFile(fresh.root / "outside" / "keep.txt", "keep");
        fs::create_directory_symlink("../outside", fresh.updateFolder / "dl");
        fs::create_symlink(fresh.root / "outside" / "keep.txt", fresh.updateFolder / "link.txt");
        fs::create_directory_symlink(fresh.root / "outside", fresh.installation / "out");
        fresh.writeList(L"aide.txt\r\n" + row.entry + L"\r\n");

        EXPECT_EQ(fresh.run(), 3);

        EXPECT_EQ(fresh.runtime.messages,
                  (std::vector<ShownMessage>{confirmation(kDefaultTitle), failure()}));
        EXPECT_TRUE(fresh.runtime.copies.empty()) << "the plan refuses the update before the first copy";
        EXPECT_EQ(installed(fresh, "aide.txt"), "<absent>");
        EXPECT_EQ(readFile(fresh.root / "outside" / "keep.txt"), "keep");
        EXPECT_FALSE(fs::exists(fresh.installation / "dl"));
        EXPECT_FALSE(fs::exists(fresh.installation / "link.txt"));
        EXPECT_FALSE(fs::exists(fresh.root / "outside" / "aide.txt"));
    }
}

TEST(CleanupAndExit, NeverDeletesThroughALinkLeavingTheUpdateFolder) {
    UpdateRun run;
    writeFile(run.root / "outside" / "keep.txt", "keep");
    writeFile(run.installation / "kelvane.exe", "installed");
    fs::create_directory_symlink("../outside", run.updateFolder / "dl");
    fs::create_directory_symlink(run.installation, run.updateFolder / "install");
    fs::create_symlink(run.root / "outside" / "keep.txt", run.updateFolder / "link.txt");
    run.writeList(std::string("dl\\keep.txt\r\ninstall\\kelvane.exe\r\nlink.txt\r\n"));
    run.state.exitStatus = ExitStatus::Refused;

    EXPECT_EQ(run.cleanup(), 2);

    EXPECT_EQ(readFile(run.root / "outside" / "keep.txt"), "keep");
    EXPECT_EQ(readFile(run.installation / "kelvane.exe"), "installed");
    EXPECT_FALSE(fs::is_symlink(run.updateFolder / "link.txt"))
        << "a link named by an entry is itself removed";
}

/// Highest resident memory of this process so far, in KiB.
long peakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(UpdateRunTest, RequiredFileCheckReadsNothingOfAHugeFile) {
    // Sparse, so it takes no room on disk; a check that read it would need 4 GiB of memory.
    writeFile(run.installation / "big.img", "");
    fs::resize_file(run.installation / "big.img", std::uintmax_t{4} << 30);
    run.writeList(std::wstring(L"@big.img\r\naide.txt\r\n"));

    // In a child process, so that its peak memory is the run's alone.
    EXPECT_EXIT(
        {
            const long before = peakResidentKiB();
            const int status = run.run();
            const long grown = peakResidentKiB() - before;
            std::fprintf(stderr, "exit status %d, memory grown by %ld KiB\n", status, grown);
            std::_Exit(status == 0 && grown < 64 * 1024 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "exit status 0");
}

}  // namespace
}  // namespace setup::test
