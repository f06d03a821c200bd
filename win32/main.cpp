#include <windows.h>

#include <exception>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "run/run_state.h"
#include "run/session.h"
#include "win32/form1.h"
#include "win32/message_loop.h"
#include "win32/progress_host.h"
#include "win32/win32_runtime.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    setup::MessageLoop loop;
    setup::Win32Runtime runtime(loop);
    setup::RunState state;
    try {
        setup::Form1 form1;
        loop.setMainWindow(form1.handle());
        setup::ProgressHost form2(loop);
        setup::Session session{runtime, state, form1, form2};
        form2.setSession(session);
        setup::ListDirectives directives(session);
        setup::Form_Load(session, directives);
    } catch (const std::exception&) {
        // The load handler traps every failure itself; this only keeps a fault (a window the system
        // would not create) from ending in a crash.
        runtime.endProgram(static_cast<int>(setup::ExitStatus::Failed));
    }
}
