#include <QApplication>
#include <exception>

#include "run/run_state.h"
#include "run/session.h"
#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "qt/qt_runtime.h"
#include "qt/form1.h"
#include "qt/progress_host.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
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
