#pragma once

#include <string>

#include "check/list_analysis.h"

namespace setup::check {

/// What sealing an update did: the French report for its author and the exit status.
struct SealOutcome {
    std::wstring report;
    int status = 0;  ///< 0 the seal was written, 1 the list has errors (or warnings when strict)
};

/// Writes the seal setup.sum of the update `analysis` describes: one line per file the list copies, in
/// the list's order, a file named twice once. Refuses, writing nothing, when the list has errors (or
/// warnings when `strict`); findings about an earlier seal never stop a new one. Throws Failure when a
/// file cannot be read or the seal cannot be written.
SealOutcome sealUpdate(const ListAnalysis& analysis, bool strict);

}  // namespace setup::check
