#include <windows.h>

#include <chrono>
#include <exception>
#include <optional>
#include <variant>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "platform/program_arguments.h"
#include "platform/standard_streams.h"
#include "run/run_state.h"
#include "run/session.h"
#include "unattended/run_log.h"
#include "platform/file_runtime.h"
#include "unattended/unattended_host.h"
#include "unattended/unattended_start.h"
#include "win32/form1.h"
#include "win32/message_loop.h"
#include "win32/progress_host.h"
#include "win32/win32_host.h"

namespace {

/// How long the finished window of a passive run stays before it closes itself.
constexpr std::chrono::milliseconds kPassiveCloseDelay{2000};

/// The update behind the program's windows, inside `host` (the Win32 host, or an unattended one over it).
/// Never returns.
[[noreturn]] void runWithWindows(setup::Host& host, setup::MessageLoop& loop, bool passive) {
    setup::FileRuntime runtime(host);
    setup::RunState state;
    try {
        setup::Form1 form1;
        loop.setMainWindow(form1.handle());
        setup::ProgressHost form2(loop);
        if (passive) form2.closeWhenFinished(kPassiveCloseDelay);
        setup::Session session{runtime, state, form1, form2};
        form2.setSession(session);
        setup::ListDirectives directives(session);
        setup::Form_Load(session, directives);
    } catch (const std::exception&) {
        // The load handler traps every failure itself; this only keeps a fault (a window the system
        // would not create) from ending in a crash.
        runtime.endProgram(static_cast<int>(setup::ExitStatus::Failed));
    }
    std::terminate();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Without arguments the program is the one a person runs at the screen; options are read only when
    // some are given. The system's wide command line holds them whatever the code page.
    std::optional<setup::UnattendedStart> start;
    std::vector<std::wstring> arguments;
    try {
        arguments = setup::programArguments(0, nullptr);
    } catch (const std::exception&) {
        // A command line the system cannot split is read as none.
    }
    if (!arguments.empty()) {
        // A Windows exit code holds the Windows installer's codes that deployment tools read.
        auto prepared = setup::prepareUnattendedRun(arguments, true);
        if (const int* exitStatus = std::get_if<int>(&prepared)) return *exitStatus;
        start = std::move(std::get<setup::UnattendedStart>(prepared));
        // A quiet run creates no window at all.
        if (start->options.mode == setup::RunMode::Quiet) setup::runQuietly(*start);
    }

    setup::MessageLoop loop;
    setup::Win32Host win32Host(loop);
    if (!start) runWithWindows(win32Host, loop, false);
    setup::UnattendedHost host(win32Host, start->options.mode, start->log.get(), nullptr,
                               setup::writeStandardError, start->options.heldFilesWait,
                               start->options.exitCodes);
    host.logStart();
    runWithWindows(host, loop, start->options.mode == setup::RunMode::Passive);
}
