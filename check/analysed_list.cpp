#include "check/analysed_list.h"

#include <algorithm>

namespace setup::check {

bool ListAnalysis::has(Severity severity) const {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const Finding& finding) { return severityOf(finding.rule) == severity; });
}

}  // namespace setup::check
