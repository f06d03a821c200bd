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
#include "seal/seal_format.h"
#include "staging/staged_update.h"

namespace setup {

namespace {

/// Why the plan refuses an entry, in the words of the run's log.
std::wstring refusalReasonText(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::OutsideUpdateFolder:
            return L"m\u00E8ne hors du dossier de mise \u00E0 jour";
        case RefusalReason::OutsideInstallation:
            return L"m\u00E8ne hors de l'installation";
        case RefusalReason::InstallationItself:
            return L"d\u00E9signe l'installation elle-m\u00EAme";
        case RefusalReason::NotAFile:
            return L"trouve un dossier, un lien ou un fichier sp\u00E9cial \u00E0 la place du fichier";
        case RefusalReason::OwnFileName:
            return L"porte un nom r\u00E9serv\u00E9 aux fichiers du programme";
        case RefusalReason::ControlCharacter:
            return L"contient une tabulation ou un saut de ligne";
        case RefusalReason::NameTooLong:
            return L"a un nom trop long pour sa copie provisoire";
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return L"le dossier de mise \u00E0 jour et l'installation se contiennent l'un l'autre";
}

}  // namespace

[[noreturn]] void stopKeepingUpdate(Session& session, const BoxMessage& message, ExitStatus status) {
    session.state.exitStatus = status;
    session.state.keepUpdateFolder = true;
    session.runtime.host().messageBox(message.text, message.style, message.title);
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
    PlanInput input{runtime.host().programDirectory(), state.InstallDir, std::move(fileEntries), state.stamps};
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
        const std::wstring entry = refusal.entry.empty() ? L"" : L"\u00AB " + refusal.entry + L" \u00BB ";
        runtime.host().logEvent(L"Mise \u00E0 jour refus\u00E9e avant toute copie : " + entry +
                         refusalReasonText(refusal.reason));
    }
    if (plan.keepsUpdateFolder()) stopKeepingUpdate(session, updateInsideInstallationMessage());
    if (!plan.accepted()) throw Failure("the update's plan refuses an entry");
    state.update = std::make_unique<StagedUpdate>(
        runtime.files(), *state.registry, std::move(plan),
        [&runtime](const std::wstring& event) { runtime.host().logEvent(event); },
        [&runtime](const std::wstring& source, const std::wstring& target, std::uint64_t bytes) {
            runtime.host().fileStaged(source, target, bytes);
        });
    state.update->begin();
}

}  // namespace setup
