#include "unattended/run_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace setup {
namespace {

struct OptionsRow {
    const char* name;
    std::vector<std::wstring> arguments;
    std::optional<RunOptions> expected;  ///< nullopt: the command line is refused
};

const OptionsRow kRows[] = {
    {"none", {}, RunOptions{}},
    {"windows_quiet", {L"/quiet"}, RunOptions{RunMode::Quiet, std::nullopt, false}},
    {"upper_case", {L"/QUIET"}, RunOptions{RunMode::Quiet, std::nullopt, false}},
    {"dash_for_slash", {L"-Quiet"}, RunOptions{RunMode::Quiet, std::nullopt, false}},
    {"linux_quiet", {L"--quiet"}, RunOptions{RunMode::Quiet, std::nullopt, false}},
    {"passive", {L"/passive"}, RunOptions{RunMode::Passive, std::nullopt, false}},
    {"linux_passive", {L"--PASSIVE"}, RunOptions{RunMode::Passive, std::nullopt, false}},
    {"log_then_file",
     {L"/log", L"C:\\Journaux\\Mise.log"},
     RunOptions{RunMode::Interactive, L"C:\\Journaux\\Mise.log", false}},
    {"log_colon_keeps_case",
     {L"/LOG:C:\\Journaux\\Mise.log", L"/quiet"},
     RunOptions{RunMode::Quiet, L"C:\\Journaux\\Mise.log", false}},
    {"log_colon_dash", {L"-log:a.log"}, RunOptions{RunMode::Interactive, L"a.log", false}},
    {"linux_log_equals",
     {L"--log=/var/log/Mise \u00E0 jour.log"},
     RunOptions{RunMode::Interactive, L"/var/log/Mise \u00E0 jour.log", false}},
    {"linux_log_then_file",
     {L"--passive", L"--log", L"/tmp/x.log"},
     RunOptions{RunMode::Passive, L"/tmp/x.log", false}},
    {"log_file_looks_like_option", {L"/log", L"/quiet"}, RunOptions{RunMode::Interactive, L"/quiet", false}},
    {"same_mode_twice", {L"/quiet", L"--quiet"}, RunOptions{RunMode::Quiet, std::nullopt, false}},
    {"windows_help", {L"/?"}, RunOptions{RunMode::Interactive, std::nullopt, true}},
    {"dash_help", {L"-?"}, RunOptions{RunMode::Interactive, std::nullopt, true}},
    {"linux_help", {L"--help"}, RunOptions{RunMode::Interactive, std::nullopt, true}},
    {"unknown_option", {L"/silent"}, std::nullopt},
    {"unknown_after_valid", {L"/quiet", L"/norestart"}, std::nullopt},
    {"bare_word", {L"quiet"}, std::nullopt},
    {"empty_argument", {L""}, std::nullopt},
    {"quiet_and_passive", {L"/quiet", L"/passive"}, std::nullopt},
    {"log_without_file", {L"/quiet", L"/log"}, std::nullopt},
    {"log_colon_empty", {L"/log:"}, std::nullopt},
    {"log_equals_empty", {L"--log="}, std::nullopt},
    {"log_twice", {L"/log", L"a.log", L"/log:b.log"}, std::nullopt},
    {"log_prefix_only", {L"/logfile"}, std::nullopt},
};

class RunOptionsTest : public ::testing::TestWithParam<OptionsRow> {};

TEST_P(RunOptionsTest, ReadsTheCommandLine) {
    const OptionsRow& row = GetParam();
    const ParsedOptions parsed = parseRunOptions(row.arguments);
    EXPECT_EQ(parsed.options, row.expected);
    // A refusal always says why; an accepted command line has nothing to say.
    EXPECT_EQ(parsed.error.empty(), row.expected.has_value());
}

INSTANTIATE_TEST_SUITE_P(Rows, RunOptionsTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunOptionsTest, UnknownOptionIsNamedInTheReason) {
    EXPECT_NE(parseRunOptions({L"/norestart"}).error.find(L"\u00AB /norestart \u00BB"), std::wstring::npos);
}

TEST(UsageTextTest, NamesEveryOptionAndExitStatus) {
    const std::wstring usage = usageText();
    for (const wchar_t* word :
         {L"/quiet", L"--quiet", L"/passive", L"--passive", L"/log FICHIER", L"/log:FICHIER",
          L"--log=FICHIER", L"/?", L"--help", L"  0 ", L"  1 ", L"  2 ", L"  3 ", L"  64 "}) {
        EXPECT_NE(usage.find(word), std::wstring::npos) << std::wstring(word);
    }
}

}  // namespace
}  // namespace setup
