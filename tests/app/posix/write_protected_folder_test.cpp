// A folder that refuses deletions through its permission bits, which only a POSIX file system has.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "run/cleanup.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

TEST(CleanupAndExit, RealWriteProtectedFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser deletes in write-protected folders";
    UpdateRun run;
    run.addUpdateFile("f0.txt", "x");
    run.addUpdateFile("f1.txt", "x");
    run.writeList(std::string("f0.txt\r\nf1.txt\r\n"));
    fs::permissions(run.updateFolder, fs::perms::owner_write, fs::perm_options::remove);

    EXPECT_EQ(run.cleanup(), 3);

    fs::permissions(run.updateFolder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.filesInUpdateFolder(), (std::vector<std::string>{"f0.txt", "f1.txt", "setup.lst"}));
}

}  // namespace
}  // namespace setup::test
