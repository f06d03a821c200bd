#pragma once

#include <optional>
#include <string>

#include "check/dry_run.h"
#include "check/list_analysis.h"

namespace setup::check {

/// The checker's findings as one JSON object with stable English keys, for scripts and CI (UTF-8).
std::string jsonReport(const ListAnalysis& analysis, const std::optional<DryRun>& run, int status);

}  // namespace setup::check
