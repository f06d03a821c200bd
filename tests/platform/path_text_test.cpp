#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/file_runtime.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

using namespace std::string_literals;

struct TrimCase {
    const char* name;
    std::wstring text;
    std::wstring expected;
};

std::ostream& operator<<(std::ostream& out, const TrimCase& row) { return out << row.name; }

class TrimAtNulTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimAtNulTest, CutsAtFirstNul) { EXPECT_EQ(TrimAtNul(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Cases, TrimAtNulTest,
                         ::testing::Values(TrimCase{"NulInTheMiddle", L"abc\0def"s, L"abc"},
                                           TrimCase{"NoNul", L"abc def ", L"abc def "},
                                           TrimCase{"LeadingNul", L"\0abc"s, L""},
                                           TrimCase{"TwoNuls", L"ab\0c\0d"s, L"ab"},
                                           TrimCase{"Empty", L"", L""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BackslashCase {
    const char* name;
    std::wstring path;
    std::wstring expected;
};

std::ostream& operator<<(std::ostream& out, const BackslashCase& row) { return out << row.name; }

class WithTrailingBackslashTest : public ::testing::TestWithParam<BackslashCase> {};

TEST_P(WithTrailingBackslashTest, UpdatesTheCallersVariable) {
    std::wstring variable = GetParam().path;
    EXPECT_EQ(WithTrailingBackslash(variable), GetParam().expected);
    EXPECT_EQ(variable, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WithTrailingBackslashTest,
                         ::testing::Values(BackslashCase{"Appended", L"C:\\Prog", L"C:\\Prog\\"},
                                           BackslashCase{"AlreadyThere", L"C:\\Prog\\", L"C:\\Prog\\"},
                                           BackslashCase{"DriveRoot", L"C:\\", L"C:\\"},
                                           BackslashCase{"Empty", L"", L"\\"},
                                           BackslashCase{"SlashIsNoSeparator", L"/usr/", L"/usr/\\"},
                                           BackslashCase{"UnixRoot", L"/", L"/\\"}),
                         [](const auto& info) { return std::string(info.param.name); });

/// A host whose windows are never used here.
class NoWindows final : public Host {
  public:
    using Host::Host;
    int messageBox(const std::wstring&, int, const std::wstring&) override { return box::kOk; }
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int) override { throw std::logic_error("endProgram"); }
};

/// The file runtime over a temporary folder.
class TestRuntime : public FileRuntime {
  public:
    explicit TestRuntime(std::wstring programDirectory)
        : FileRuntime(m_host), m_host(std::move(programDirectory)) {}

  private:
    NoWindows m_host;
};

struct ExistsCase {
    const char* name;
    std::wstring relative;
    bool expected;
};

std::ostream& operator<<(std::ostream& out, const ExistsCase& row) { return out << row.name; }

class FileExistsTest : public ::testing::TestWithParam<ExistsCase> {
  protected:
    TempDir m_dir;
};

TEST_P(FileExistsTest, AnswersWithoutLeavingTheNumberOpen) {
    writeFile(m_dir / "empty.txt", "");
    writeFile(m_dir / "data.bin", std::string(5000, 'd'));
    std::filesystem::create_directory(m_dir / "folder");
    TestRuntime runtime(m_dir.path().wstring());
    const ExistsCase& row = GetParam();
    const std::wstring path = row.relative.empty() ? L"" : m_dir.path().wstring() + L"\\" + row.relative;
    EXPECT_EQ(FileExists(runtime, path), row.expected);
    EXPECT_EQ(path, row.relative.empty() ? L"" : m_dir.path().wstring() + L"\\" + row.relative);
    EXPECT_EQ(runtime.freeFileNumber(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileExistsTest,
                         ::testing::Values(ExistsCase{"EmptyFile", L"empty.txt", true},
                                           ExistsCase{"FileWithData", L"data.bin", true},
                                           ExistsCase{"OtherLetterCase", L"DATA.BIN", true},
                                           ExistsCase{"Directory", L"folder", false},
                                           ExistsCase{"MissingFile", L"absent.txt", false},
                                           ExistsCase{"EmptyPath", L"", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileExistsNumbers, TakesTheLowestFreeNumberAndGivesItBack) {
    TempDir dir;
    writeFile(dir / "a.txt", "a");
    TestRuntime runtime(dir.path().wstring());
    const std::wstring path = dir.path().wstring() + L"/a.txt";
    runtime.openForInput(runtime.freeFileNumber(), path);
    EXPECT_TRUE(FileExists(runtime, path));
    EXPECT_FALSE(FileExists(runtime, path + L".missing"));
    EXPECT_EQ(runtime.freeFileNumber(), 2);
}

}  // namespace
}  // namespace setup::test
