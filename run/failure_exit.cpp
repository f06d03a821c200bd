#include "run/failure_exit.h"

#include <exception>
#include <optional>
#include <string>

#include "platform/runtime.h"
#include "platform/text_codec.h"
#include "run/cleanup.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/stop_message.h"
#include "staging/staged_update.h"

namespace setup {

namespace {

/// The file the failure being handled found differing from its seal or signature as it was staged, if any.
std::optional<std::wstring> stagedFileDiffering() {
    try {
        if (std::current_exception()) std::rethrow_exception(std::current_exception());
    } catch (const StagedFileDiffers& differs) {
        return differs.name();
    } catch (...) {
    }
    return std::nullopt;
}

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
    session.runtime.host().logEvent(
        L"L'installation et le registre sont remis comme avant la mise \u00E0 jour");
    // The box asks the user to start again, which needs the update's files: they stay, unless the update
    // was already in place. An undo left unfinished is finished by the next start, which then needs them
    // too. A damaged update is told as the seal's check tells it.
    if (!session.state.update || !session.state.update->final()) session.state.keepUpdateFolder = true;
    const std::optional<std::wstring> differing = stagedFileDiffering();
    try {
        const BoxMessage message = !differing ? failureMessage()
                                   : session.state.trust
                                       ? signatureMismatchMessage()
                                       : sealProblemMessage({SealProblemKind::Damaged, *differing, 0});
        showStopMessage(session.runtime.host(), message, cause);
    } catch (const std::exception&) {
        // The run ends the same way whether or not the message could be shown.
    }
    CleanupAndExit(session);
}

}  // namespace setup
