// A link at the lock file's name is never followed: the lock could otherwise create or hold a file
// anywhere the link points, and the end of a run would remove the wrong name.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/failure.h"
#include "platform/installation_lock.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

struct LinkRow {
    const char* name;
    bool targetExists;
};

class LockFileLink : public ::testing::TestWithParam<LinkRow> {};

TEST_P(LockFileLink, IsRefusedAndLeftAsItIs) {
    TempDir dir;
    const fs::path target = dir / "elsewhere";
    if (GetParam().targetExists) writeFile(target, "not the program's");
    fs::create_symlink(target, dir / kInstallationLockName);

    EXPECT_THROW(takeInstallationLock(dir.path()), ForeignLockFile);

    EXPECT_TRUE(fs::is_symlink(dir / kInstallationLockName));
    EXPECT_EQ(fs::exists(target), GetParam().targetExists);
    if (GetParam().targetExists) {
        EXPECT_EQ(readFile(target), "not the program's");
    }
}

INSTANTIATE_TEST_SUITE_P(InstallationLock, LockFileLink,
                         ::testing::Values(LinkRow{"ToAFile", true}, LinkRow{"ToNothing", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
