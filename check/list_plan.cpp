#include "check/list_plan.h"

namespace setup::check {

ListPlanInput listPlanInput(const std::vector<EntryPlan>& entries, const std::wstring& updateFolder,
                            const std::wstring& installDir) {
    ListPlanInput list{{updateFolder, installDir, {}, {}}, {}, {}};
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const EntryPlan& entry = entries[index];
        if (entry.copied) {
            list.input.fileEntries.push_back(*entry.copied);
            list.fileEntries.push_back(index);
        }
        for (const StampWrite& stamp : entry.stamps) {
            list.input.stamps.push_back({stamp.section, stamp.version});
            list.stampEntries.push_back(index);
        }
    }
    return list;
}

std::vector<PlacedRefusal> placeRefusals(const UpdatePlan& plan, const ListPlanInput& list) {
    std::vector<PlacedRefusal> placed;
    // The plan gives each refused entry one refusal, in the order of the entries, then those of the
    // versions; the update folder as a whole is refused ahead of them.
    std::vector<PlanRefusal> entryRefusals;
    for (const PlanRefusal& refusal : plan.refusals) {
        if (refusal.reason == RefusalReason::UpdateInsideInstallation)
            placed.push_back({std::nullopt, refusal});
        else
            entryRefusals.push_back(refusal);
    }
    std::size_t next = 0;
    for (std::size_t file = 0; file < list.fileEntries.size() && next < entryRefusals.size(); ++file) {
        if (entryRefusals[next].entry == list.input.fileEntries[file])
            placed.push_back({list.fileEntries[file], entryRefusals[next++]});
    }
    for (std::size_t stamp = 0; stamp < list.input.stamps.size() && next < entryRefusals.size(); ++stamp) {
        if (entryRefusals[next].entry == L"#" + list.input.stamps[stamp].version)
            placed.push_back({list.stampEntries[stamp], entryRefusals[next++]});
    }
    // A refusal no entry accounts for is still told, for the update as a whole.
    while (next < entryRefusals.size()) placed.push_back({std::nullopt, entryRefusals[next++]});
    return placed;
}

}  // namespace setup::check
