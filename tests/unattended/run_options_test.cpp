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
    bool windowsProgram = false;
};

RunOptions quietWith(int wait, ExitCodes codes = ExitCodes::Plain) {
    return RunOptions{RunMode::Quiet, std::nullopt, false, wait, codes};
}

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
    {"wait_colon", {L"/quiet", L"/WAIT:2"}, quietWith(2)},
    {"wait_equals_none", {L"--quiet", L"--wait=0"}, quietWith(0)},
    {"wait_too_long", {L"/quiet", L"/wait:3601"}, std::nullopt},
    {"wait_not_a_number", {L"/quiet", L"/wait:-1"}, std::nullopt},
    {"msi_codes_windows", {L"/quiet", L"/ExitCodes:MSI"}, quietWith(60, ExitCodes::Msi), true},
    {"msi_codes_linux", {L"--quiet", L"--exitcodes=msi"}, std::nullopt},
    {"other_codes_windows", {L"/quiet", L"/exitcodes:inno"}, std::nullopt, true},
};

class RunOptionsTest : public ::testing::TestWithParam<OptionsRow> {};

TEST_P(RunOptionsTest, ReadsTheCommandLine) {
    const OptionsRow& row = GetParam();
    const ParsedOptions parsed = parseRunOptions(row.arguments, row.windowsProgram);
    EXPECT_EQ(parsed.options, row.expected);
    // A refusal always says why; an accepted command line has nothing to say.
    EXPECT_EQ(parsed.error.empty(), row.expected.has_value());
}

INSTANTIATE_TEST_SUITE_P(Rows, RunOptionsTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunOptionsTest, UnknownOptionIsNamedInTheReason) {
    EXPECT_NE(parseRunOptions({L"/norestart"}).error.find(L"\u00AB /norestart \u00BB"), std::wstring::npos);
}

struct ExitCodeRow {
    const char* name;
    ExitCodes codes;
    int status;
    bool installationBusy;
    int expected;
};

const ExitCodeRow kExitCodeRows[] = {
    {"plain_busy_stays_a_failure", ExitCodes::Plain, 3, true, 3},
    {"msi_applied", ExitCodes::Msi, 0, false, 0},
    {"msi_declined_or_cancelled", ExitCodes::Msi, 1, false, 1602},
    {"msi_refused_by_a_check", ExitCodes::Msi, 2, false, 1603},
    {"msi_failure", ExitCodes::Msi, 3, false, 1603},
    {"msi_another_run_holds_the_installation", ExitCodes::Msi, 3, true, 1618},
};

class ExitCodeTest : public ::testing::TestWithParam<ExitCodeRow> {};

TEST_P(ExitCodeTest, MapsTheOutcome) {
    const ExitCodeRow& row = GetParam();
    EXPECT_EQ(exitCodeFor(row.codes, row.status, row.installationBusy), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExitCodeTest, ::testing::ValuesIn(kExitCodeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UsageTextTest, NamesEveryOptionAndExitStatus) {
    const std::wstring usage = usageText();
    for (const wchar_t* word :
         {L"/quiet", L"--quiet", L"/passive", L"--passive", L"/log FICHIER", L"/log:FICHIER",
          L"--log=FICHIER", L"/?", L"--help", L"  0 ", L"  1 ", L"  2 ", L"  3 ", L"  64 ", L"/wait:SECONDES"}) {
        EXPECT_NE(usage.find(word), std::wstring::npos) << std::wstring(word);
    }
}

}  // namespace
}  // namespace setup
