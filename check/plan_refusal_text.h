#pragma once

#include <string>
#include <string_view>

#include "platform/file_services.h"
#include "staging/update_plan.h"

namespace setup::check {

/// What setup would do about `refusal`, in French, for the author of the update. `found` is what stands
/// at the entry's place in the installation, which tells a folder from a link for NotAFile.
std::wstring refusalConsequence(const PlanRefusal& refusal, NodeKind found);

/// How the author of the update mends the list for `refusal`, in French; empty for the refusals that
/// only an installation brings about (NotAFile, OutsideInstallation, UpdateInsideInstallation).
std::wstring refusalFix(const PlanRefusal& refusal);

/// A stable English name for `reason`, for scripts ("own-file-name").
std::string_view refusalId(RefusalReason reason);

}  // namespace setup::check
