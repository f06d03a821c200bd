#include "check/plan_findings.h"

#include <exception>
#include <optional>
#include <string>

#include "check/empty_installation_files.h"
#include "check/list_plan.h"
#include "check/plan_refusal_text.h"
#include "platform/runtime.h"

namespace setup::check {

namespace {

/// The rule of the list a refusal breaks; none for a refusal that only an installation brings about.
std::optional<Rule> ruleOf(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::OutsideUpdateFolder:
            return Rule::OutsideUpdateFolder;
        case RefusalReason::InstallationItself:
            return Rule::InstallationItself;
        case RefusalReason::OwnFileName:
            return Rule::OwnFileName;
        case RefusalReason::ControlCharacter:
            return Rule::ControlCharacter;
        case RefusalReason::NameTooLong:
            return Rule::NameTooLong;
        case RefusalReason::NotAFile:
        case RefusalReason::OutsideInstallation:
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return std::nullopt;
}

/// `consequence` as a sentence of its own, like the list's other findings.
std::wstring sentence(std::wstring consequence) {
    if (!consequence.empty() && consequence[0] >= L'a' && consequence[0] <= L'z')
        consequence[0] = static_cast<wchar_t>(consequence[0] - L'a' + L'A');
    return consequence + L".";
}

}  // namespace

void checkPlanRefusals(ListAnalysis& analysis, Runtime& runtime) {
    const ListPlanInput list =
        listPlanInput(analysis.entries, runtime.host().programDirectory(), kEmptyInstallation);
    EmptyInstallationFiles files(runtime);
    UpdatePlan plan;
    try {
        files.holdFolder(runtime.host().programDirectory());
        plan = makeUpdatePlan(files, list.input);
    } catch (const std::exception&) {
        // The update folder cannot be looked at; the copy's own findings tell what it cannot read.
        return;
    }
    for (const PlacedRefusal& placed : placeRefusals(plan, list)) {
        const std::optional<Rule> rule = ruleOf(placed.refusal.reason);
        if (!placed.entry || !rule) continue;
        EntryPlan& entry = analysis.entries[*placed.entry];
        entry.refusedByPlan = placed.refusal.reason;
        // The copy's own rule has already told of this entry.
        if (*rule == Rule::OutsideUpdateFolder && entry.refusedByCopy) continue;
        analysis.findings.push_back({*rule, entry.line,
                                     sentence(refusalConsequence(placed.refusal, NodeKind::Missing)),
                                     refusalFix(placed.refusal)});
    }
}

}  // namespace setup::check
