#include "unattended/run_log.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/failure.h"
#include "platform/text_codec.h"
#include "tests/support/temp_dir.h"

namespace setup {
namespace {

using test::readFile;
using test::TempDir;

/// The log's lines without their time stamps and line ends.
std::vector<std::string> events(const std::string& bytes) {
    static const std::regex kStamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}  )");
    std::vector<std::string> lines;
    std::istringstream stream(bytes);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        EXPECT_TRUE(std::regex_search(line, kStamp)) << line;
        lines.push_back(std::regex_replace(line, kStamp, ""));
    }
    return lines;
}

struct LineRow {
    const char* name;
    std::wstring event;
    std::string expected;
};

const LineRow kLineRows[] = {
    {"plain", L"Installation trouv\u00E9e",
     "Installation trouv\xC3\xA9"
     "e"},
    {"beyond_latin", L"Fichier \u03A9\u0436 \U0001F600", "Fichier \xCE\xA9\xD0\xB6 \xF0\x9F\x98\x80"},
    {"line_feed_inside", L"a\nb",
     "a\xE2\x86\xB5"
     "b"},
    {"carriage_return_line_feed_is_one_mark", L"a\r\nb",
     "a\xE2\x86\xB5"
     "b"},
    {"lone_carriage_return", L"a\rb",
     "a\xE2\x86\xB5"
     "b"},
    {"empty", L"", ""},
};

class LogLineTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(LogLineTest, OneUtf8LineAfterTheTimeStamp) {
    const std::string line = logLine(L"2026-12-07 21:03:05.123", GetParam().event);
    EXPECT_EQ(events(line), std::vector<std::string>{GetParam().expected});
    EXPECT_EQ(line.rfind("2026-12-07 21:03:05.123  ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, LogLineTest, ::testing::ValuesIn(kLineRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunLogTest, AppendsToWhatAnEarlierRunLeft) {
    TempDir folder;
    test::writeFile(folder / "setup.log", "");
    {
        RunLog first(fromUtf8((folder / "setup.log").string()));
        first.write(L"premi\u00E8re");
    }
    RunLog second(fromUtf8((folder / "setup.log").string()));
    second.write(L"seconde");
    EXPECT_EQ(events(readFile(folder / "setup.log")),
              (std::vector<std::string>{"premi\xC3\xA8re", "seconde"}));
}

TEST(RunLogTest, EachEventIsInTheFileAsSoonAsItIsWritten) {
    TempDir folder;
    RunLog log(fromUtf8((folder / "new.log").string()));
    log.write(L"un");
    EXPECT_EQ(events(readFile(folder / "new.log")), std::vector<std::string>{"un"});
}

TEST(RunLogTest, AFolderThatDoesNotExistCannotBeOpened) {
    TempDir folder;
    EXPECT_THROW(RunLog(fromUtf8((folder / "absent" / "setup.log").string())), Failure);
}

TEST(RunLogTest, TwoWritersAtOnceNeverMixTheirLines) {
    TempDir folder;
    const std::wstring path = fromUtf8((folder / "shared.log").string());
    constexpr int kLines = 2000;
    // Lines long enough that a writer putting a line together from several writes would be caught.
    const std::wstring padding(300, L'\u00E9');
    auto writer = [&](wchar_t mark) {
        RunLog log(path);
        for (int i = 0; i < kLines; ++i) log.write(std::wstring(1, mark) + std::to_wstring(i) + padding);
    };
    std::thread first(writer, L'A');
    std::thread second(writer, L'B');
    first.join();
    second.join();

    std::set<std::string> expected;
    const std::string tail = toUtf8(padding);
    for (char mark : {'A', 'B'}) {
        for (int i = 0; i < kLines; ++i) expected.insert(mark + std::to_string(i) + tail);
    }
    const std::vector<std::string> lines = events(readFile(folder / "shared.log"));
    EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()), expected);
    EXPECT_EQ(lines.size(), expected.size());
}

}  // namespace
}  // namespace setup
