// A run started while another run of the program holds the same installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/installation_lock.h"
#include "tests/app/update_run_fixture.h"
#include "tests/support/lock_holder.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

const ShownMessage kOtherRun{
    L"Une autre mise \u00E0 jour de Kelvane est en cours sur cette machine. Veuillez attendre qu'elle se "
    L"termine, puis relancer celle-ci.",
    L"Mise \u00E0 jour de Kelvane en cours", 48};

TEST_F(UpdateRunTest, SecondRunOnAHeldInstallationChangesNothingAndKeepsItsUpdateFolder) {
    run.writeList(
        std::wstring(L";Mise \u00E0 jour Kelvane 3.1\r\n!Fermez Kelvane\r\nkelvane.exe,aide.txt\r\n"
                     L"modules\\calcul.dll\r\n#3.1\r\n"));
    // The other run's staged copy and saved registry, which a start that looked at the installation
    // would take for leftovers and remove.
    run.addInstalledFile("kelvane.exe.setup-new", "the other run's program");
    run.addInstalledFile(".setup-registry", "[Kelvane]\r\nVersion=2.0\r\n");
    LockHolder other(run.installation);
    ASSERT_TRUE(other.holds());
    const Tree installation = snapshotTree(run.installation);
    const Tree windows = snapshotTree(run.windowsFolder);
    const Tree update = snapshotTree(run.updateFolder);

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.runtime.messages, std::vector<ShownMessage>{kOtherRun});
    EXPECT_TRUE(run.runtime.copies.empty());
    EXPECT_EQ(snapshotTree(run.installation), installation);
    EXPECT_EQ(snapshotTree(run.windowsFolder), windows);
    EXPECT_EQ(snapshotTree(run.updateFolder), update);
}

TEST_F(UpdateRunTest, ListNamingTheLockFileIsRefusedAndTheLockFileGoesAtTheEnd) {
    run.writeList(std::wstring(L"kelvane.exe\r\n.SETUP-LOCK\r\n#3.1\r\n"));
    run.addUpdateFile(".SETUP-LOCK", "shipped over the lock");

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.runtime.messages, (std::vector<ShownMessage>{confirmation(kDefaultTitle), failure()}));
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
    EXPECT_FALSE(fs::exists(run.installation / kInstallationLockName));
}

}  // namespace
}  // namespace setup::test
