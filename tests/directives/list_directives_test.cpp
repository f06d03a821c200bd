#include "directives/list_directives.h"

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

TEST(Version, LeavesTheLowerBoundInTheEntry) {
    UpdateRun run;
    writeFile(run.windowsFolder / "Tamreg.reg", "[Abc]\r\nVersion=1.5\r\n");
    std::wstring entry = L"\u00A71.0|2.0[Abc]";

    run.directives.Version(entry);

    EXPECT_EQ(entry, L"1.0");
    EXPECT_TRUE(run.runtime.messages.empty());
}

TEST(Version, ChecksTheNamedProductAndShowsItsName) {
    UpdateRun run;
    writeFile(run.windowsFolder / "Tamreg.reg", "[Kelvane]\r\nVersion=9\r\n[Abc]\r\nVersion=1.5\r\n");
    std::wstring entry = L"\u00A71.6|2.0[Abc]";

    EXPECT_THROW(run.directives.Version(entry), ProgramEnded);

    ASSERT_EQ(run.runtime.messages.size(), 1u);
    EXPECT_EQ(run.runtime.messages[0].title, L"Abc install\u00E9 version : 1.5");
    EXPECT_EQ(
        run.runtime.messages[0].text,
        L"Cette mise \u00E0 jour concerne les versions du logiciel Abc sup\u00E9rieure ou \u00E9gale \u00E0 "
        L"la version 1.6");
    EXPECT_EQ(run.state.exitStatus, ExitStatus::Refused);
}

TEST(Version, BlankUpperBoundSetsNoLimit) {
    for (const std::wstring entry : {L"\u00A71.0", L"\u00A71.0|", L"\u00A71.0| "}) {
        UpdateRun run;
        run.registerProduct("7.5");
        std::wstring line = entry;
        EXPECT_NO_THROW(run.directives.Version(line));
        EXPECT_TRUE(run.runtime.messages.empty());
    }
}

TEST(SetVer, HandsTheVersionToTheCommitAndLeavesTheVersion) {
    UpdateRun run;
    std::wstring entry = L"#3.1[Abc]";

    run.directives.SetVer(entry);

    EXPECT_EQ(entry, L"3.1");
    EXPECT_EQ(run.state.stamps, (std::vector<PlannedStamp>{{L"Abc", L"3.1"}}));
    EXPECT_EQ(run.registryText(), "") << "nothing is recorded before the files are in place";
}

TEST(Exist, IgnoresSpacesAroundThePath) {
    UpdateRun run;
    run.addInstalledFile("bin/kelvane.exe", "x");
    run.state.InstallDir = fromUtf8(run.installation.string()) + L"\\";
    std::wstring entry = L"@  bin\\kelvane.exe  ";

    run.directives.exist(entry);

    EXPECT_EQ(entry, L"@  bin\\kelvane.exe  ");
    EXPECT_TRUE(run.runtime.messages.empty());
}

TEST(Alert, ShowsTheTextAfterTheMarker) {
    UpdateRun run;
    std::wstring entry = L"!Fermez Kelvane";
    run.directives.alert(entry);
    EXPECT_EQ(run.runtime.messages,
              (std::vector<ShownMessage>{{L"Attention : Fermez Kelvane", L"Mise en Garde", 48}}));
    EXPECT_EQ(entry, L"!Fermez Kelvane");
}

}  // namespace
}  // namespace setup::test
