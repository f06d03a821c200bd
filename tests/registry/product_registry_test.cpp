#include "registry/product_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

using namespace std::string_literals;

struct ReadCase {
    const char* name;
    std::string fileContent;  ///< content of "Tamreg.reg"; no file when empty
    std::wstring section;
    std::wstring key;
    std::wstring expected;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& row) { return out << row.name; }

class ReadProfileValueTest : public ::testing::TestWithParam<ReadCase> {
  protected:
    TempDir m_dir;
    ScopedEnv m_windir{"WINDIR", m_dir.path().string()};
};

TEST_P(ReadProfileValueTest, Reads) {
    const ReadCase& row = GetParam();
    if (!row.fileContent.empty()) writeFile(m_dir / "Tamreg.reg", row.fileContent);
    EXPECT_EQ(ReadProfileValue(kRegistryReadName, row.section, row.key), row.expected);
}

const std::string kCut = std::string(250, 'a') + std::string(10, ' ') + std::string(40, 'b');

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ReadProfileValueTest,
    ::testing::Values(
        ReadCase{"Path", "[Kelvane]\r\nPath=C:\\Program Files\\Kelvane\r\n", L"Kelvane", L"Path",
                 L"C:\\Program Files\\Kelvane"},
        ReadCase{"EmptyValue", "[Kelvane]\r\nPath=\r\n", L"Kelvane", L"Path", L""},
        ReadCase{"MissingFile", "", L"Kelvane", L"Path", L""},
        ReadCase{"MissingSection", "[Autre]\r\nPath=x\r\n", L"Kelvane", L"Path", L""},
        ReadCase{"MissingKey", "[Kelvane]\r\nVersion=3\r\n", L"Kelvane", L"Path", L""},
        ReadCase{"ThreeHundredCharactersCutTo254", "[Kelvane]\r\nPath=" + std::string(300, 'p') + "\r\n",
                 L"Kelvane", L"Path", std::wstring(254, L'p')},
        ReadCase{"CutValueLosesItsTrailingSpaces", "[Kelvane]\r\nPath=" + kCut + "\r\n", L"Kelvane", L"Path",
                 std::wstring(250, L'a')},
        ReadCase{"TrailingSpacesRemoved", "[Kelvane]\r\nPath=\"C:\\K   \"\r\n", L"Kelvane", L"Path",
                 L"C:\\K"},
        ReadCase{"TrailingTabKept", "[Kelvane]\r\nPath=\"C:\\K\t\"\r\n", L"Kelvane", L"Path", L"C:\\K\t"},
        ReadCase{"SectionInCapitals", "[KELVANE]\r\nVersion=3.1\r\n", L"Kelvane", L"Version", L"3.1"},
        ReadCase{"ValueCutAtNul", "[Kelvane]\r\nPath=C:\\K\0junk\r\n"s, L"Kelvane", L"Path", L"C:\\K"},
        ReadCase{"ValueStartingWithNul", "[Kelvane]\r\nPath=\0junk\r\n"s, L"Kelvane", L"Path", L""},
        ReadCase{"Windows1252Value", "[Caf\xE9]\r\nPath=C:\\\xC9t\xE9 \x80\r\n", L"CAF\u00C9", L"Path",
                 L"C:\\\u00C9t\u00E9 \u20AC"}),
    [](const auto& info) { return std::string(info.param.name); });

class WriteVersionTest : public ::testing::Test {
  protected:
    TempDir m_dir;
    ScopedEnv m_windir{"WINDIR", m_dir.path().string()};
};

TEST_F(WriteVersionTest, WrittenAsTamRegReadAsTamreg) {
    writeVersion(L"Kelvane", L"4.0");
    EXPECT_EQ(readFile(m_dir / "TamReg.reg"), "[Kelvane]\r\nVersion=4.0\r\n");
    EXPECT_EQ(ReadProfileValue(kRegistryReadName, kDefaultProduct, L"Version"), L"4.0");
}

TEST_F(WriteVersionTest, UpdatesExistingTamregInPlace) {
    writeFile(m_dir / "Tamreg.reg", "[kelvane]\r\nPath=C:\\K\r\nversion=3.1\r\n[Autre]\r\nVersion=1\r\n");
    writeVersion(L"Kelvane", L"4.0");
    writeVersion(L"Caf\u00E9", L"2 ");
    // One registry file, whichever spelling of its name the system keeps.
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(equalIgnoringCase(programPath(files[0].filename()), L"tamreg.reg"));
    EXPECT_EQ(readFile(files[0]),
              "[kelvane]\r\nPath=C:\\K\r\nversion=4.0\r\n[Autre]\r\nVersion=1\r\n[Caf\xE9]\r\nVersion=2\r\n");
    EXPECT_EQ(ReadProfileValue(kRegistryReadName, L"CAF\u00C9", L"Version"), L"2");
}

TEST_F(WriteVersionTest, RefusedVersionGoesUnnoticedAndChangesNothing) {
    writeFile(m_dir / "Tamreg.reg", "[Kelvane]\r\nVersion=3.1\r\n");
    writeVersion(L"Kelvane", L"4.0\r\n[Evil]");
    EXPECT_EQ(readFile(m_dir / "Tamreg.reg"), "[Kelvane]\r\nVersion=3.1\r\n");
}

}  // namespace
}  // namespace setup::test
