#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <variant>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "platform/program_arguments.h"
#include "platform/standard_streams.h"
#include "qt/form1.h"
#include "platform/file_runtime.h"
#include "qt/progress_host.h"
#include "qt/qt_host.h"
#include "run/run_state.h"
#include "run/session.h"
#include "unattended/run_log.h"
#include "unattended/unattended_host.h"
#include "unattended/unattended_start.h"

namespace {

/// How long the finished window of a passive run stays before it closes itself.
constexpr std::chrono::milliseconds kPassiveCloseDelay{2000};

/// Qt's messages while the application starts. Qt ends the program with an abort when no display can be
/// opened; here that is said in one line and the run ends as a failure before anything has been shown or
/// done, so the update folder stays as it was. Qt's other start-up messages are not the user's concern.
void startUpMessage(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type != QtFatalMsg) return;
    std::fputs(
        "Setup : impossible d'ouvrir l'affichage ; la mise \u00E0 jour n'a pas \u00E9t\u00E9 lanc\u00E9e.\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(static_cast<int>(setup::ExitStatus::Failed));
}

/// The update behind the program's windows, inside `host` (the Qt host, or an unattended one over it);
/// `qtHost` shows the boxes `host` lets through. Never returns.
[[noreturn]] void runWithWindows(setup::Host& host, setup::QtHost& qtHost, bool passive) {
    setup::FileRuntime runtime(host);
    setup::RunState state;
    setup::Form1 form1;
    setup::ProgressHost form2;
    if (passive) form2.closeWhenFinished(kPassiveCloseDelay);
    setup::Session session{runtime, state, form1, form2};
    form2.setSession(session);
    qtHost.setMessageBoxParent(&form1);
    setup::ListDirectives directives(session);
    try {
        setup::Form_Load(session, directives);
    } catch (const std::exception&) {
        // The load handler traps every failure itself; this only keeps a fault from ending in a crash.
        runtime.endProgram(static_cast<int>(setup::ExitStatus::Failed));
    }
    std::terminate();
}

}  // namespace

int main(int argc, char* argv[]) {
    // Without arguments the program is the one a person runs at the screen; options are read only when
    // some are given.
    std::optional<setup::UnattendedStart> start;
    if (argc > 1) {
        auto prepared = setup::prepareUnattendedRun(setup::programArguments(argc, argv));
        if (const int* exitStatus = std::get_if<int>(&prepared)) return *exitStatus;
        start = std::move(std::get<setup::UnattendedStart>(prepared));
        // A quiet run creates no application at all, so it needs no display.
        if (start->options.mode == setup::RunMode::Quiet) setup::runQuietly(*start);
    }

    const QtMessageHandler qtMessages = qInstallMessageHandler(startUpMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtMessages);
    // The run ends only through its cleanup; closing the windows on the way must not end an event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    setup::installFrenchTranslation(application);

    setup::QtHost qtHost;
    if (!start) runWithWindows(qtHost, qtHost, false);
    setup::UnattendedHost host(qtHost, start->options.mode, start->log.get(), nullptr,
                               setup::writeStandardError, start->options.heldFilesWait,
                               start->options.exitCodes);
    host.logStart();
    runWithWindows(host, qtHost, start->options.mode == setup::RunMode::Passive);
}
