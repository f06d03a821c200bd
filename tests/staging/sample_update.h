#pragma once

#include <string>
#include <vector>

#include "staging/staged_update.h"
#include "staging/update_plan.h"
#include "tests/support/memory_files.h"

namespace setup::test {

/// An installation of several files in nested folders and the update folder of an update that replaces
/// some of them (a read-only one among them), adds new ones (one two new folders deep) and stamps two
/// versions, one of a product the registry does not know yet. Folders are implied by what they hold: compare
/// with MemoryFiles(tree).tree().
extern const MemoryTree kSampleOldTree;
extern const MemoryValues kSampleOldValues;
/// The same once the update is applied.
extern const MemoryTree kSampleNewTree;
extern const MemoryValues kSampleNewValues;
/// The sample update's entries and stamps.
extern const PlanInput kSampleInput;

/// Carries `update` out as a run does (begin, stage each file, commit, finish), and undoes it on a
/// failure, which it then passes on.
void carryOut(StagedUpdate& update);

/// The paths of `tree` whose last name is one the program keeps for its own files.
std::vector<std::wstring> ownFilesIn(const MemoryTree& tree);

}  // namespace setup::test
