// Runs started together on one installation: however their opens, locks and releases of the lock file
// interleave, never do two of them hold the lock at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/installation_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

TEST(InstallationLockContention, NoTwoProcessesHoldTheLockAtOnce) {
    constexpr int kHolders = 3, kHoldsEach = 2000, kTriesEach = 5000000;
    TempDir installation, scratch;
    const std::filesystem::path marker = scratch / "held";
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<int> holders;
    for (int i = 0; i < kHolders; ++i) {
        holders.push_back(startChild([&] {
            // The pipe's end lets every holder go at once. Each hold makes the marker, which no other holder
            // may have made meanwhile, and removes it before letting go.
            ::close(start[1]);
            char never = 0;
            if (::read(start[0], &never, 1) != 0) return 2;
            int holds = 0;
            for (int tries = 0; tries < kTriesEach && holds < kHoldsEach; ++tries) {
                if (const auto lock = takeInstallationLock(installation.path())) {
                    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                    if (fd < 0) return 1;
                    ::close(fd);
                    ::unlink(marker.c_str());
                    ++holds;
                }
            }
            return holds == kHoldsEach ? 0 : 2;
        }));
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const int holder : holders) EXPECT_EQ(waitForChild(holder), 0) << "1: two at once; 2: shut out";
}

}  // namespace
}  // namespace setup::test
