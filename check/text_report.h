#pragma once

#include <optional>
#include <string>

#include "check/dry_run.h"
#include "check/list_analysis.h"

namespace setup::check {

/// The checker's findings as French text for the update's author: one line per entry with what each
/// pass does, the errors and warnings with their fixes, the dry run and the verdict.
std::wstring textReport(const ListAnalysis& analysis, const std::optional<DryRun>& run, int status);

}  // namespace setup::check
