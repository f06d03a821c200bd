#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "qt/form1.h"
#include "qt/progress_host.h"
#include "qt/qt_runtime.h"
#include "run/run_state.h"
#include "run/session.h"

namespace {

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

}  // namespace

int main(int argc, char* argv[]) {
    const QtMessageHandler qtMessages = qInstallMessageHandler(startUpMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtMessages);
    // The run ends only through its cleanup; closing the windows on the way must not end an event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    setup::installFrenchTranslation(application);

    setup::QtRuntime runtime;
    setup::RunState state;
    setup::Form1 form1;
    setup::ProgressHost form2;
    setup::Session session{runtime, state, form1, form2};
    form2.setSession(session);
    runtime.setMessageBoxParent(&form1);
    setup::ListDirectives directives(session);
    try {
        setup::Form_Load(session, directives);
    } catch (const std::exception&) {
        // The load handler traps every failure itself; this only keeps a fault from ending in a crash.
        runtime.endProgram(static_cast<int>(setup::ExitStatus::Failed));
    }
}
