// Files another program holds when the commit comes: the box that names the holders, Retry and Cancel.
#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/text_codec.h"
#include "run/messages.h"
#include "tests/app/update_run_fixture.h"

namespace setup::test {
namespace {

using Holders = std::function<std::vector<FileHolder>(const std::vector<std::wstring>&)>;

struct HoldersRow {
    const char* name;
    Holders holders;
    bool programsNamed;
};

const HoldersRow kHoldersRows[] = {
    {"two_programs", [](auto&) { return std::vector<FileHolder>{{L"Visionneuse", 412}, {L"Antivirus", 1730}}; },
     true},
    {"none_named", [](auto&) { return std::vector<FileHolder>{}; }, false},
    {"system_cannot_tell", [](auto&) -> std::vector<FileHolder> { throw Failure("Restart Manager error 5"); },
     false},
};

class HeldFileBox : public UpdateRunTest, public ::testing::WithParamInterface<HoldersRow> {};

TEST_P(HeldFileBox, NamesWhatTheSystemNamesAndRetryChecksAgain) {
    const std::wstring program = fromUtf8(run.installation.string()) + L"\\kelvane.exe";
    run.writeList(std::wstring(L"kelvane.exe\r\n"));
    run.runtime.heldFiles = {program};
    run.runtime.holders = GetParam().holders;
    run.runtime.answers = {box::kOk, box::kRetry, box::kRetry};
    // The holder lets go while the second box of files in use is up.
    run.runtime.onMessage = [&](const ShownMessage&) {
        if (run.runtime.messages.size() == 3) run.runtime.heldFiles.clear();
    };

    EXPECT_EQ(run.run(), 0);

    const std::wstring lines = GetParam().programsNamed
                                   ? L"Visionneuse (processus 412)\nAntivirus (processus 1730)\n"
                                   : L"\u00AB " + program + L" \u00BB est utilis\u00E9 par un autre programme.\n";
    const ShownMessage held{L"Kelvane ne peut pas \u00EAtre mis \u00E0 jour tant que ces programmes utilisent "
                            L"ses fichiers :\n" + lines + L"\nFermez-les, puis cliquez sur R\u00E9essayer.",
                            L"Fichiers en cours d'utilisation", 53};
    EXPECT_EQ(run.runtime.messages, (std::vector<ShownMessage>{confirmation(kDefaultTitle), held, held}));
    EXPECT_EQ(installed(run, "kelvane.exe"), "new program");
}

INSTANTIATE_TEST_SUITE_P(Rows, HeldFileBox, ::testing::ValuesIn(kHoldersRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
