#include "run/failure_exit.h"

#include <exception>

#include "run/cleanup.h"
#include "platform/runtime.h"
#include "platform/text_codec.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/stop_message.h"

namespace setup {

namespace {

/// What the failure being handled says, for the log; the failure branch runs inside the trap that caught
/// it.
std::wstring currentFailureText() {
    try {
        if (std::current_exception()) std::rethrow_exception(std::current_exception());
    } catch (const std::exception& failure) {
        return fromUtf8(failure.what());
    } catch (...) {
    }
    return L"cause inconnue";
}

}  // namespace

void reportFailureAndExit(Session& session) {
    session.state.exitStatus = ExitStatus::Failed;
    const std::wstring cause = currentFailureText();
    session.runtime.host().logEvent(L"\u00C9chec : " + cause);
    // The user is told once the installation and the registry are back as they were.
    if (session.state.update) session.state.update->undo();
    session.runtime.host().logEvent(L"L'installation et le registre sont remis comme avant la mise \u00E0 jour");
    // The box asks the user to start again, which needs the update's files: they stay, unless the update
    // was already in place. An undo left unfinished is finished by the next start, which then needs them
    // too.
    if (!session.state.update || !session.state.update->final()) session.state.keepUpdateFolder = true;
    try {
        showStopMessage(session.runtime.host(), failureMessage(), cause);
    } catch (const std::exception&) {
        // The run ends the same way whether or not the message could be shown.
    }
    CleanupAndExit(session);
}

}  // namespace setup
