#include "unattended/unattended_start.h"

#include <exception>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "platform/append_file.h"
#include "platform/standard_streams.h"
#include "platform/text_codec.h"
#include "run/run_state.h"
#include "run/session.h"
#include "platform/file_runtime.h"
#include "unattended/console_host.h"
#include "unattended/copy_progress.h"
#include "unattended/quiet_windows.h"
#include "unattended/run_log.h"
#include "unattended/unattended_host.h"

namespace setup {

std::variant<int, UnattendedStart> prepareUnattendedRun(const std::vector<std::wstring>& arguments,
                                                        bool msiExitCodes) {
    const ParsedOptions parsed = parseRunOptions(arguments, msiExitCodes);
    if (!parsed.options) {
        writeStandardError(L"Setup : " + parsed.error + L"\n\n" + usageText(msiExitCodes));
        return kUsageExitStatus;
    }
    if (parsed.options->help) {
        writeStandardOutput(usageText(msiExitCodes));
        return 0;
    }
    const int failed = exitCodeFor(parsed.options->exitCodes, static_cast<int>(ExitStatus::Failed), false);
    UnattendedStart start{*parsed.options, nullptr};
    if (start.options.logPath) {
        try {
            start.log = std::make_unique<RunLog>(*start.options.logPath);
        } catch (const NotARegularFile&) {
            writeStandardError(L"Setup : le journal \u00AB " + *start.options.logPath +
                               L" \u00BB n'est pas un fichier ordinaire (lien, dossier, tube ou "
                               L"p\u00E9riph\u00E9rique) ; la mise \u00E0 jour n'a pas \u00E9t\u00E9 "
                               L"lanc\u00E9e.\n");
            return failed;
        } catch (const std::exception& failure) {
            writeStandardError(L"Setup : impossible d'ouvrir le journal \u00AB " + *start.options.logPath +
                               L" \u00BB (" + fromUtf8(failure.what()) +
                               L") ; la mise \u00E0 jour n'a pas \u00E9t\u00E9 lanc\u00E9e.\n");
            return failed;
        }
    }
    return start;
}

void runQuietly(UnattendedStart& start) {
    ConsoleHost console;
    CopyProgress progress;
    UnattendedHost host(console, RunMode::Quiet, start.log.get(), &progress, writeStandardError,
                        start.options.heldFilesWait, start.options.exitCodes);
    host.logStart();
    FileRuntime runtime(host);
    RunState state;
    QuietMainWindow form1;
    QuietProgressWindow form2(progress, writeStandardOutput);
    Session session{runtime, state, form1, form2};
    form2.attach(session);
    ListDirectives directives(session);
    try {
        Form_Load(session, directives);
    } catch (const std::exception&) {
        // The load handler traps every failure itself; this only keeps a fault from ending in a crash.
        runtime.endProgram(static_cast<int>(ExitStatus::Failed));
    }
    std::terminate();
}

}  // namespace setup
