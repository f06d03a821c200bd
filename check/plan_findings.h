#pragma once

#include "check/analysed_list.h"

namespace setup {
class Runtime;
}

namespace setup::check {

/// Makes setup's update plan for the analysed list on an installation that holds nothing, and reports as
/// errors of the list, at their lines, the refusals that every installation would make. Marks each entry
/// so refused. Reads the update folder through `runtime`; changes nothing.
void checkPlanRefusals(ListAnalysis& analysis, Runtime& runtime);

}  // namespace setup::check
