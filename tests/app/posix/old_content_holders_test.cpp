// On Linux the commit never waits for a program that holds a replaced file: the log names it instead.
#include <algorithm>

#include "platform/text_codec.h"
#include "tests/app/update_run_fixture.h"
#include "tests/platform/file_holder_process.h"

namespace setup::test {
namespace {

TEST_F(UpdateRunTest, ProgramMappingAReplacedFileIsLoggedAfterTheCommit) {
    run.writeList(std::wstring(L"kelvane.exe\r\n"));
    FileHolderProcess holder(run.installation / "kelvane.exe", true);
    EXPECT_EQ(run.run(), 0);
    const std::wstring logged = L"L'ancien contenu de " + fromUtf8(run.installation.string()) +
                                L"\\kelvane.exe reste ouvert par file_holder (processus " +
                                std::to_wstring(holder.processId()) +
                                L") : ces programmes l'utilisent jusqu'\u00E0 leur red\u00E9marrage";
    EXPECT_EQ(std::count(run.runtime.events.begin(), run.runtime.events.end(), logged), 1);
}

}  // namespace
}  // namespace setup::test
