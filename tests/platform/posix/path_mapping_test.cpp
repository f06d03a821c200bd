#include "platform/path_mapping.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/text_codec.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

std::wstring wide(const fs::path& path) { return fromUtf8(path.string()); }

class MapPath : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(m_dir / "setup.lst", "x");
        writeFile(m_dir / "sub" / "File.txt", "x");
        writeFile(m_dir / "README", "x");
        writeFile(m_dir / "readme", "x");
        writeFile(m_dir / "\xC3\xA9t\xC3\xA9.txt", "x");  // "été.txt" in UTF-8
    }
    std::wstring base() const { return wide(m_dir.path()); }

    TempDir m_dir;
};

TEST_F(MapPath, FindsNameWithOtherLetterCase) {
    EXPECT_EQ(mapPath(base() + L"\\Setup.lst"), m_dir / "setup.lst");
    EXPECT_EQ(mapPath(base() + L"\\SETUP.LST"), m_dir / "setup.lst");
}

TEST_F(MapPath, FindsEveryComponentWithOtherLetterCase) {
    EXPECT_EQ(mapPath(base() + L"\\SUB\\file.TXT"), m_dir / "sub" / "File.txt");
}

TEST_F(MapPath, FindsAccentedNameWithOtherLetterCase) {
    EXPECT_EQ(mapPath(base() + L"\\\u00C9T\u00C9.TXT"), m_dir / "\xC3\xA9t\xC3\xA9.txt");
}

TEST_F(MapPath, ExactNameWinsThenLowestInByteOrder) {
    EXPECT_EQ(mapPath(base() + L"\\readme"), m_dir / "readme");
    EXPECT_EQ(mapPath(base() + L"\\README"), m_dir / "README");
    EXPECT_EQ(mapPath(base() + L"\\ReadMe"), m_dir / "README");
}

TEST_F(MapPath, RepeatedAndMixedSeparatorsCollapse) {
    EXPECT_EQ(mapPath(base() + L"\\\\sub//\\File.txt"), m_dir / "sub" / "File.txt");
    EXPECT_EQ(mapPath(base() + L"/setup.lst"), m_dir / "setup.lst");
}

TEST_F(MapPath, ProgramDirectoryAtRootStillFindsTheList) {
    // A program directory that ends in a separator gives two in a row before the list's name.
    const std::wstring fromRoot = wide(m_dir.path().relative_path());
    EXPECT_EQ(mapPath(L"/\\" + fromRoot + L"\\\\setup.lst"), m_dir / "setup.lst");
    EXPECT_EQ(mapPath(L"/\\"), fs::path("/"));
}

TEST_F(MapPath, DotComponentsResolveOnTheText) {
    EXPECT_EQ(mapPath(base() + L"\\.\\sub\\..\\Setup.lst"), m_dir / "setup.lst");
    EXPECT_EQ(mapPath(base() + L"\\missing\\..\\Setup.lst"), m_dir / "setup.lst");
}

TEST_F(MapPath, MissingComponentsKeepTheirSpelling) {
    EXPECT_EQ(mapPath(base() + L"\\SUB\\New\\Name.TXT"), m_dir / "sub" / "New" / "Name.TXT");
    EXPECT_EQ(mapPath(base() + L"\\New\\FILE.txt"), m_dir / "New" / "FILE.txt");
}

TEST_F(MapPath, WildcardsArePlainCharacters) {
    EXPECT_EQ(mapPath(base() + L"\\*"), m_dir / "*");
    EXPECT_EQ(mapPath(base() + L"\\setup.?st"), m_dir / "setup.?st");
}

TEST(MapPathText, RelativeAndEmptyPaths) {
    EXPECT_EQ(mapPath(L""), fs::path());
    EXPECT_EQ(mapPath(L"no-such-folder-4711\\x.txt"), fs::path("no-such-folder-4711/x.txt"));
    EXPECT_EQ(mapPath(L"a\\.."), fs::path("."));
    EXPECT_EQ(mapPath(L"\\..\\.."), fs::path("/"));
}

TEST(MapPathText, NameEndsAtItsFirstNul) {
    EXPECT_EQ(mapPath(std::wstring(L"/no-such-folder-4711\0/etc", 25)), fs::path("/no-such-folder-4711"));
}

struct EnvCase {
    const char* name;
    const char* windir;
    const char* xdgConfigHome;
    const char* home;
    const char* expected;
};

class WindowsDirectory : public ::testing::TestWithParam<EnvCase> {};

TEST_P(WindowsDirectory, FollowsTheEnvironment) {
    const ScopedEnv windir("WINDIR", GetParam().windir);
    const ScopedEnv configHome("XDG_CONFIG_HOME", GetParam().xdgConfigHome);
    const ScopedEnv home("HOME", GetParam().home);
    EXPECT_EQ(windowsDirectory(), fs::path(GetParam().expected));
}

const EnvCase kEnvCases[] = {
    {"WindirFirst", "/win", "/xdg", "/home/u", "/win"},
    {"EmptyWindirIgnored", "", "/xdg", "/home/u", "/xdg"},
    {"ConfigHomeWithoutWindir", nullptr, "/xdg", "/home/u", "/xdg"},
    {"EmptyConfigHomeIgnored", nullptr, "", "/home/u", "/home/u/.config"},
    {"HomeLast", nullptr, nullptr, "/home/u", "/home/u/.config"},
};

INSTANTIATE_TEST_SUITE_P(PathMapping, WindowsDirectory, ::testing::ValuesIn(kEnvCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
