#include "registry/profile_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/registry/profile_service_fixture.h"

namespace setup::test {
namespace {

using namespace std::string_literals;

TEST_F(ProfileService, ReadFindsBareNameInWindowsDirectory) {
    writeFile(m_dir / "Tamreg.reg", "[Kelvane]\r\nPath=C:\\K\r\n");
    char buffer[255];
    EXPECT_EQ(getPrivateProfileString("Kelvane", "Path", buffer, sizeof buffer, "Tamreg.reg"), 4u);
    EXPECT_STREQ(buffer, "C:\\K");
}

TEST_F(ProfileService, ReadMatchesFileNameWithoutRegardToCase) {
    writeFile(m_dir / "tamreg.REG", "[Kelvane]\r\nPath=x\r\n");
    char buffer[255];
    EXPECT_EQ(getPrivateProfileString("Kelvane", "Path", buffer, sizeof buffer, "Tamreg.reg"), 1u);
}

TEST_F(ProfileService, ReadOfNameWithDirectory) {
    writeFile(m_dir / "sub" / "my.ini", "[S]\nk=v\n");
    char buffer[16];
    EXPECT_EQ(getPrivateProfileString("S", "k", buffer, sizeof buffer, (m_dir / "SUB" / "My.ini").string()),
              1u);
    EXPECT_STREQ(buffer, "v");
}

struct MissingCase {
    const char* name;
    const char* fileName;
    const char* section;
    const char* key;
};

std::ostream& operator<<(std::ostream& out, const MissingCase& row) { return out << row.name; }

class ProfileServiceMissing : public ProfileService, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(ProfileServiceMissing, ReadsEmptyWithCountZero) {
    writeFile(m_dir / "Tamreg.reg", "[Kelvane]\r\nPath=x\r\nEmpty=\r\n");
    std::filesystem::create_directory(m_dir / "folder.reg");
    const MissingCase& row = GetParam();
    std::string buffer(255, ' ');
    EXPECT_EQ(getPrivateProfileString(row.section, row.key, buffer.data(), buffer.size(), row.fileName), 0u);
    EXPECT_EQ(buffer[0], '\0');
}

INSTANTIATE_TEST_SUITE_P(Reads, ProfileServiceMissing,
                         ::testing::Values(MissingCase{"MissingFile", "Absent.reg", "Kelvane", "Path"},
                                           MissingCase{"Directory", "folder.reg", "Kelvane", "Path"},
                                           MissingCase{"EmptyFileName", "", "Kelvane", "Path"},
                                           MissingCase{"MissingSection", "Tamreg.reg", "Other", "Path"},
                                           MissingCase{"MissingKey", "Tamreg.reg", "Kelvane", "Version"},
                                           MissingCase{"EmptyValue", "Tamreg.reg", "Kelvane", "Empty"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileService, ReadCopiesAtMostSizeLessOneAndCloses) {
    writeFile(m_dir / "Tamreg.reg", "[S]\r\nk=" + std::string(300, 'v') + "\r\n");
    std::string buffer(255, ' ');
    EXPECT_EQ(getPrivateProfileString("S", "k", buffer.data(), 255, "Tamreg.reg"), 254u);
    EXPECT_EQ(buffer, std::string(254, 'v') + '\0');

    char tiny[1] = {'x'};
    EXPECT_EQ(getPrivateProfileString("S", "k", tiny, 1, "Tamreg.reg"), 0u);
    EXPECT_EQ(tiny[0], '\0');
    EXPECT_EQ(getPrivateProfileString("S", "k", nullptr, 0, "Tamreg.reg"), 0u);
}

TEST_F(ProfileService, ReadCopiesNulBytesOfTheValue) {
    writeFile(m_dir / "Tamreg.reg", "[S]\r\nk=ab\0cd\r\n"s);
    std::string buffer(16, ' ');
    EXPECT_EQ(getPrivateProfileString("S", "k", buffer.data(), buffer.size(), "Tamreg.reg"), 5u);
    EXPECT_EQ(buffer.substr(0, 6), "ab\0cd\0"s);
}

TEST_F(ProfileService, WriteCreatesFileAndItsDirectoryWithGivenSpelling) {
    TempDir home;
    ScopedEnv windir("WINDIR", (home / "new" / "Windows").string());
    EXPECT_TRUE(writePrivateProfileString("Kelvane", "Version", "4.0", "TamReg.reg"));
    EXPECT_EQ(readFile(home / "new" / "Windows" / "TamReg.reg"), "[Kelvane]\r\nVersion=4.0\r\n");
}

TEST_F(ProfileService, WriteUpdatesExistingFileUnderItsOwnName) {
    writeFile(m_dir / "Tamreg.reg", "[Kelvane]\r\nPath=C:\\K\r\nVersion=3.1\r\n");
    EXPECT_TRUE(writePrivateProfileString("Kelvane", "Version", "4.0", "TamReg.reg"));
    EXPECT_EQ(names(), std::vector<std::string>{"Tamreg.reg"});
    EXPECT_EQ(readFile(m_dir / "Tamreg.reg"), "[Kelvane]\r\nPath=C:\\K\r\nVersion=4.0\r\n");
}

TEST_F(ProfileService, WriteKeepsEveryOtherByte) {
    const std::string before =
        "; registre des produits\r\n"
        "\r\n"
        "[Autre]\r\n"
        "Path=D:\\Autre\r\n"
        "\r\n"
        "[KELVANE]\r\n"
        "\tPath = \"C:\\Program Files\\Kelvane\" \r\n"
        "; fin\r\n"
        "\r\n"
        "[Caf\xE9]\n"
        "Version=1\n";
    writeFile(m_dir / "Tamreg.reg", before);
    EXPECT_TRUE(writePrivateProfileString("Kelvane", "Version", "4.0", "TamReg.reg"));
    EXPECT_EQ(readFile(m_dir / "Tamreg.reg"),
              "; registre des produits\r\n"
              "\r\n"
              "[Autre]\r\n"
              "Path=D:\\Autre\r\n"
              "\r\n"
              "[KELVANE]\r\n"
              "\tPath = \"C:\\Program Files\\Kelvane\" \r\n"
              "Version=4.0\r\n"
              "; fin\r\n"
              "\r\n"
              "[Caf\xE9]\n"
              "Version=1\n");
    EXPECT_TRUE(writePrivateProfileString("CAF\xC9", "version", "2", "TamReg.reg"));
    char buffer[255];
    EXPECT_EQ(getPrivateProfileString("caf\xE9", "Version", buffer, sizeof buffer, "Tamreg.reg"), 1u);
    EXPECT_STREQ(buffer, "2");
}

struct RobustCase {
    const char* name;
    std::string content;
};

std::ostream& operator<<(std::ostream& out, const RobustCase& row) { return out << row.name; }

class ProfileServiceRobust : public ProfileService, public ::testing::WithParamInterface<RobustCase> {};

TEST_P(ProfileServiceRobust, ReadsAndWritesWithoutLosingLines) {
    const std::string& before = GetParam().content;
    writeFile(m_dir / "Tamreg.reg", before);
    char buffer[255];
    getPrivateProfileString("Kelvane", "Path", buffer, sizeof buffer, "Tamreg.reg");
    EXPECT_TRUE(writePrivateProfileString("Kelvane", "Version", "4.0", "TamReg.reg"));
    const std::string after = readFile(m_dir / "Tamreg.reg");
    // The old bytes all stay, in order, around the one inserted line.
    std::size_t kept = 0;
    std::size_t i = 0;
    while (kept < before.size() && i < after.size()) {
        if (after[i++] == before[kept]) ++kept;
    }
    EXPECT_EQ(kept, before.size());
    EXPECT_LE(after.size(), before.size() + std::string("\r\n[Kelvane]\r\nVersion=4.0\r\n").size());
    EXPECT_EQ(getPrivateProfileString("Kelvane", "Version", buffer, sizeof buffer, "Tamreg.reg"), 3u);
    EXPECT_STREQ(buffer, "4.0");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileServiceRobust,
    ::testing::Values(RobustCase{"NulBytes", "\0\r\n[Kelvane]\0\r\nPath=\0\0\r\n\0\0\0\r\n[B]\r\nx=\0\r\n"s},
                      RobustCase{"HundredThousandCharacterLine",
                                 "[Kelvane]\r\nPath=" + std::string(100000, 'p') + "\r\n" +
                                     std::string(100000, 'q') + "\r\n[B]\r\nx=1\r\n"},
                      RobustCase{"NoLineEndsAtAll", "[Kelvane]Path=x" + std::string(1000, ' ') + "y=z"},
                      RobustCase{"NoLineEndsNoSection", std::string(100000, 'r')},
                      RobustCase{"MixedLineEnds", "[A]\rx=1\n[Kelvane]\r\nPath=p\n\r\r\n;c\r[B]\ny=2"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

std::ostream& operator<<(std::ostream& out, const RefusedCase& row) { return out << row.name; }

class ProfileServiceRefused : public ProfileService, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(ProfileServiceRefused, LeavesFileUntouchedAndCreatesNone) {
    const RefusedCase& row = GetParam();
    const std::string before = "[Kelvane]\r\nVersion=3.1\r\n";
    writeFile(m_dir / "Tamreg.reg", before);
    EXPECT_FALSE(writePrivateProfileString(row.section, row.key, row.value, "TamReg.reg"));
    EXPECT_EQ(readFile(m_dir / "Tamreg.reg"), before);
    EXPECT_FALSE(writePrivateProfileString(row.section, row.key, row.value, "Absent.reg"));
    EXPECT_EQ(names(), std::vector<std::string>{"Tamreg.reg"});
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileServiceRefused,
                         ::testing::Values(RefusedCase{"LineEndInValue", "Kelvane", "Version",
                                                       "4.0\r\n[Evil]"},
                                           RefusedCase{"NulInValue", "Kelvane", "Version", "4\0"s},
                                           RefusedCase{"BracketInSection", "Kelvane]", "Version", "4"},
                                           RefusedCase{"EqualsInKey", "Kelvane", "Ver=sion", "4"},
                                           RefusedCase{"LfInKey", "Kelvane", "Ver\nsion", "4"},
                                           RefusedCase{"EmptySection", " ", "Version", "4"},
                                           RefusedCase{"EmptyKey", "Kelvane", "", "4"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileService, WriteToDirectoryOrEmptyNameFails) {
    std::filesystem::create_directory(m_dir / "folder.reg");
    EXPECT_FALSE(writePrivateProfileString("S", "k", "v", "folder.reg"));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "folder.reg"));
    EXPECT_FALSE(writePrivateProfileString("S", "k", "v", ""));
    EXPECT_FALSE(writePrivateProfileString("S", "k", "v", "a\0b"s));
    EXPECT_EQ(names(), std::vector<std::string>{"folder.reg"});
}

}  // namespace
}  // namespace setup::test
