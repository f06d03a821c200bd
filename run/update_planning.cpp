#include "run/update_planning.h"

#include <memory>
#include <utility>

#include "platform/failure.h"
#include "platform/runtime.h"
#include "run/cleanup.h"
#include "run/messages.h"
#include "run/product_registry_values.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/stop_message.h"
#include "seal/seal_format.h"
#include "staging/staged_update.h"

namespace setup {

[[noreturn]] void stopKeepingUpdate(Session& session, const BoxMessage& message, ExitStatus status) {
    session.state.exitStatus = status;
    session.state.keepUpdateFolder = true;
    showStopMessage(session.runtime.host(), message);
    CleanupAndExit(session);
}

/// Decides everything the update will touch and writes it in the journal, before anything is staged.
void planUpdate(Session& session, std::vector<std::wstring> fileEntries) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    // A progress window shown without the sequence's start (its own tests) works with the same services.
    runtime.files().holdFolder(runtime.host().programDirectory());
    runtime.files().holdFolder(state.InstallDir);
    if (!state.registry) state.registry = std::make_unique<ProductRegistryValues>();
    PlanInput input{runtime.host().programDirectory(), state.InstallDir, std::move(fileEntries),
                    state.stamps};
    UpdatePlan plan = makeUpdatePlan(runtime.files(), input);
    if (!state.expectedContents.empty()) {
        for (const std::wstring& entry : input.fileEntries) {
            const auto expected = state.expectedContents.find(sealNameKey(entry));
            plan.entryContents.push_back(
                expected == state.expectedContents.end() ? std::nullopt : std::optional(expected->second));
        }
    }
    if (state.trust) planTrustFile(runtime.files(), plan, *state.trust);
    for (const PlanRefusal& refusal : plan.refusals) {
        runtime.host().logEvent(L"Mise \u00E0 jour refus\u00E9e avant toute copie : " +
                                refusalReasonText(refusal));
    }
    if (plan.keepsUpdateFolder()) stopKeepingUpdate(session, updateInsideInstallationMessage());
    if (!plan.accepted()) throw Failure("le plan de la mise \u00E0 jour refuse une entr\u00E9e");
    state.update = std::make_unique<StagedUpdate>(
        runtime.files(), *state.registry, std::move(plan),
        [&runtime](const std::wstring& event) { runtime.host().logEvent(event); },
        [&runtime](const std::wstring& source, const std::wstring& target, std::uint64_t bytes) {
            runtime.host().fileStaged(source, target, bytes);
        });
    state.update->begin();
}

}  // namespace setup
