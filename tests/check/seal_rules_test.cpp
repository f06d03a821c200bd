// The checker on a sealed update: setup-check --seal writes the seal, and each later change to the update
// is an error at its line, as setup would refuse the update.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "check/list_analysis.h"
#include "check/seal_command.h"
#include "platform/path_mapping.h"
#include "tests/check/check_fixture.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;
using check::Rule;

const UpdateFolderLayout kUpdate = {
    ";T\r\na.txt\r\nnotes de version \xE9t\xE9.txt\r\nsub\\b.txt,A.TXT\r\n#3.1\r\n", {"a.txt", "sub/b.txt"}};
// Named by its UTF-8 spelling, so that Windows makes the same name as Linux.
const fs::path kAccentedPath(u8"notes de version \u00E9t\u00E9.txt");

/// A sealed update folder for the checker.
struct SealedFolder {
    SealedFolder() {
        layOut(dir.path(), kUpdate);
        writeFile(dir / kAccentedPath, "notes");
        sealed = check::sealUpdate(analyse(), false);
    }
    std::wstring folder() const { return programPath(dir.path()); }
    check::ListAnalysis analyse() const { return check::analyseList(folder()); }
    std::string seal() const { return readFile(dir / "setup.sum"); }
    void setSeal(const std::string& bytes) const { writeFile(dir / "setup.sum", bytes); }

    TempDir dir;
    check::SealOutcome sealed;
};

/// The findings, but the warning every row shares: "A.TXT" names "a.txt" a second time, sealed once.
std::vector<std::pair<std::string, std::size_t>> findingsOf(const check::ListAnalysis& analysis) {
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const check::Finding& finding : analysis.findings)
        if (finding.rule != Rule::FileListedTwice)
            found.emplace_back(check::ruleId(finding.rule), finding.line);
    return found;
}

TEST(SealUpdate, WritesOneLinePerCopiedFileInTheListsOrder) {
    const SealedFolder update;
    EXPECT_EQ(update.sealed.status, 0);
    const std::string seal = update.seal();
    std::vector<std::string> names;
    for (std::size_t at = 0; at < seal.size(); at = seal.find('\n', at) + 1)
        names.push_back(seal.substr(at + 66, seal.find('\n', at) - at - 66));
    EXPECT_EQ(names,
              (std::vector<std::string>{"a.txt", "notes de version \xC3\xA9t\xC3\xA9.txt", "sub\\b.txt"}));
    EXPECT_NE(update.sealed.report.find(L"3 fichiers scell\u00E9s."), std::wstring::npos);
    EXPECT_TRUE(findingsOf(update.analyse()).empty()) << "setup.sum is one of the program's own files";
}

TEST(SealUpdate, RefusesAListWithErrorsAndWritesNothing) {
    TempDir dir;
    layOut(dir.path(), {";T\r\na.txt\r\nabsent.txt\r\n", {"a.txt"}});
    const check::SealOutcome outcome = check::sealUpdate(check::analyseList(programPath(dir.path())), false);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_FALSE(fs::exists(dir / "setup.sum"));
}

TEST(SealUpdate, ReplacesAStaleSeal) {
    const SealedFolder update;
    writeFile(update.dir / "a.txt", "changed");
    EXPECT_EQ(check::sealUpdate(update.analyse(), false).status, 0);
    EXPECT_TRUE(findingsOf(update.analyse()).empty());
}

struct SealRuleCase {
    const char* name;
    std::function<void(const SealedFolder&)> change;
    std::vector<std::pair<Rule, std::size_t>> findings;
};

void PrintTo(const SealRuleCase& row, std::ostream* out) { *out << row.name; }

class SealRules : public ::testing::TestWithParam<SealRuleCase> {};

TEST_P(SealRules, ReportsEachProblemAtItsLine) {
    const SealedFolder update;
    GetParam().change(update);
    std::vector<std::pair<std::string, std::size_t>> expected;
    for (const auto& [rule, line] : GetParam().findings) expected.emplace_back(check::ruleId(rule), line);
    EXPECT_EQ(findingsOf(update.analyse()), expected);
}

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SealRules,
    ::testing::Values(
        SealRuleCase{"OneByteChanged",
                     [](const SealedFolder& u) { writeFile(u.dir / "a.txt", "content of b.txt"); },
                     {{Rule::SealDigestDiffers, 2}}},
        SealRuleCase{"CutShort",
                     [](const SealedFolder& u) { fs::resize_file(u.dir / "sub" / "b.txt", 4); },
                     {{Rule::SealDigestDiffers, 4}}},
        SealRuleCase{"FileMissingIsTheListsOwnError",
                     [](const SealedFolder& u) { fs::remove(u.dir / "a.txt"); },
                     {{Rule::MissingFile, 2}}},
        SealRuleCase{"SealLineMissing",
                     [](const SealedFolder& u) {
                         const std::string seal = u.seal();
                         u.setSeal(seal.substr(seal.find('\n') + 1));
                     },
                     {{Rule::FileNotSealed, 2}}},
        SealRuleCase{
            "ExtraLine",
            [](const SealedFolder& u) { u.setSeal(u.seal() + std::string(64, '0') + "  autre.txt\n"); },
            {{Rule::SealLineNotCopied, 0}}},
        SealRuleCase{"WrongFormat",
                     [](const SealedFolder& u) { u.setSeal(u.seal() + "\n"); },
                     {{Rule::SealMalformed, 0}}},
        SealRuleCase{"SavedWithCrLf", [](const SealedFolder& u) { u.setSeal(crlf(u.seal())); }, {}},
        SealRuleCase{"AccentedNameChanged",
                     [](const SealedFolder& u) { writeFile(u.dir / kAccentedPath, "autre"); },
                     {{Rule::SealDigestDiffers, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
