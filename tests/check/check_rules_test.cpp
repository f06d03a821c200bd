// Each rule of the checker on the smallest list that shows it: the findings it must produce, at their
// lines, and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/list_analysis.h"
#include "platform/text_codec.h"
#include "tests/check/check_fixture.h"
#include "tests/check/rule_cases.h"

namespace setup::test {
namespace {

using check::Rule;

std::vector<std::pair<std::string, std::size_t>> findingsOf(const check::ListAnalysis& analysis,
                                                            const std::set<Rule>& ignored) {
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const check::Finding& finding : analysis.findings) {
        if (!ignored.contains(finding.rule)) found.emplace_back(check::ruleId(finding.rule), finding.line);
    }
    return found;
}

class CheckerRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CheckerRules, ReportsEachFindingAtItsLine) {
    const RuleCase& row = GetParam();
    TempDir root;
    layOut(root / "update", row.folder);
    const check::ListAnalysis analysis = check::analyseList(fromUtf8((root / "update").string()));
    std::vector<std::pair<std::string, std::size_t>> expected;
    for (const auto& [rule, line] : row.findings) expected.emplace_back(check::ruleId(rule), line);
    EXPECT_EQ(findingsOf(analysis, row.ignored), expected);
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerRules, ::testing::ValuesIn(ruleCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckerRules, LinkOutOfTheUpdateFolderIsOutside) {
    TempDir root;
    layOut(root / "update", {";T\r\ndl/keep.txt\r\n", {}});
    writeFile(root / "outside" / "keep.txt", "kept");
    std::error_code error;
    std::filesystem::create_directory_symlink(root / "outside", root / "update" / "dl", error);
    // Wine answers that it made the link and makes none.
    if (error || !std::filesystem::exists(root / "update" / "dl" / "keep.txt"))
        GTEST_SKIP() << "no symbolic links here";
    const check::ListAnalysis analysis = check::analyseList(fromUtf8((root / "update").string()));
    EXPECT_EQ(findingsOf(analysis, {}),
              (std::vector<std::pair<std::string, std::size_t>>{{"outside-update-folder", 2}}));
    ASSERT_EQ(analysis.entries.size(), 2u);
    EXPECT_EQ(analysis.entries[1].deleted, std::nullopt);
}

TEST(CheckerRules, UnclosedQuoteStopsTheReadingAtItsLine) {
    TempDir root;
    layOut(root / "update", {";T\r\n\"a.txt\r\nb.txt\r\n", {"a.txt", "b.txt"}});
    const check::ListAnalysis analysis = check::analyseList(fromUtf8((root / "update").string()));
    // Nothing after the quote is read, so b.txt is named by no entry the program acts on.
    ASSERT_EQ(analysis.entries.size(), 1u);
    EXPECT_EQ(findingsOf(analysis, {Rule::FileNotNamed}),
              (std::vector<std::pair<std::string, std::size_t>>{{"unclosed-quote", 2}}));
}

}  // namespace
}  // namespace setup::test
