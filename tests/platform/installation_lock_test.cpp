#include "platform/installation_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/failure.h"
#include "tests/platform/file_test_helpers.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

class InstallationLockTest : public ::testing::Test {
  protected:
    fs::path lockFile() const { return m_dir / kInstallationLockName; }

    TempDir m_dir;
};

TEST_F(InstallationLockTest, SecondTakerInTheSameProcessIsRefused) {
    const auto first = takeInstallationLock(m_dir.path());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(takeInstallationLock(m_dir.path()), nullptr);
}

TEST_F(InstallationLockTest, AnotherProcessIsRefusedWhileThisOneHolds) {
    const auto held = takeInstallationLock(m_dir.path());
    ASSERT_NE(held, nullptr);
    LockHolder other(m_dir.path());
    EXPECT_FALSE(other.holds());
}

TEST_F(InstallationLockTest, ThisProcessIsRefusedWhileAnotherHolds) {
    LockHolder other(m_dir.path());
    ASSERT_TRUE(other.holds());
    EXPECT_EQ(takeInstallationLock(m_dir.path()), nullptr);
}

TEST_F(InstallationLockTest, KilledHolderLeavesTheLockFree) {
    LockHolder other(m_dir.path());
    ASSERT_TRUE(other.holds());
    other.kill();
    const auto taken = takeInstallationLock(m_dir.path());
    EXPECT_NE(taken, nullptr);
    EXPECT_TRUE(fs::exists(lockFile())) << "held on its file";
}

TEST_F(InstallationLockTest, ReleaseInThisProcessLeavesNoLockFileAndTheLockFree) {
    takeInstallationLock(m_dir.path()).reset();
    EXPECT_FALSE(fs::exists(lockFile()));
    EXPECT_NE(takeInstallationLock(m_dir.path()), nullptr);
}

TEST_F(InstallationLockTest, ReleaseInAnotherProcessLeavesNoLockFileAndTheLockFree) {
    LockHolder other(m_dir.path());
    ASSERT_TRUE(other.holds());
    other.letGo();
    EXPECT_FALSE(fs::exists(lockFile()));
    EXPECT_NE(takeInstallationLock(m_dir.path()), nullptr);
}

TEST_F(InstallationLockTest, FolderThatCannotHoldTheLockFileIsAFailure) {
    EXPECT_THROW(takeInstallationLock(m_dir / "absent"), Failure);
}

TEST_F(InstallationLockTest, FolderAtTheLockFilesNameIsAFailureAndStays) {
    fs::create_directory(lockFile());
    EXPECT_THROW(takeInstallationLock(m_dir.path()), ForeignLockFile);
    EXPECT_TRUE(fs::is_directory(lockFile()));
}

TEST_F(FileRuntimeTest, InstallationLockIsHeldUntilTheEndOfTheProgram) {
    ASSERT_TRUE(m_runtime.lockInstallation(programPath(m_dir.path()) + L"\\"));
    EXPECT_TRUE(m_runtime.lockInstallation(programPath(m_dir.path()))) << "asked again by the same run";
    FilesOnly second{programPath(m_dir.path())};
    EXPECT_FALSE(second.lockInstallation(programPath(m_dir.path())));
    m_runtime.releaseAll();
    EXPECT_FALSE(fs::exists(m_dir / kInstallationLockName));
    EXPECT_TRUE(second.lockInstallation(programPath(m_dir.path())));
}

}  // namespace
}  // namespace setup::test
