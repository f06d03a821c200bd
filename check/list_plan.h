#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/list_analysis.h"
#include "staging/update_plan.h"

namespace setup::check {

/// What setup hands its update plan for the analysed list, with the entry each part comes from.
struct ListPlanInput {
    PlanInput input;
    std::vector<std::size_t> fileEntries;   ///< for each of input.fileEntries, its index among the entries
    std::vector<std::size_t> stampEntries;  ///< for each of input.stamps, its index among the entries
};

/// The plan's input for `entries`, the update's files in `updateFolder`, installed in `installDir`.
ListPlanInput listPlanInput(const std::vector<EntryPlan>& entries, const std::wstring& updateFolder,
                            const std::wstring& installDir);

/// A refusal of the plan and the entry of the list it is about.
struct PlacedRefusal {
    std::optional<std::size_t> entry;  ///< index among the entries; none for the update folder as a whole
    PlanRefusal refusal;
};

/// The refusals of `plan`, made from `list`, each at its entry: the update folder's first, then those of
/// the file entries and of the versions, in the list's order.
std::vector<PlacedRefusal> placeRefusals(const UpdatePlan& plan, const ListPlanInput& list);

}  // namespace setup::check
