#pragma once

#include <string>

#include "check/analysed_list.h"

namespace setup::check {

/// Reads `updateFolder`/setup.lst with the program's own reader and classification, follows every pass
/// of the program over it without running any, and looks at the files of the update folder. Changes
/// nothing.
ListAnalysis analyseList(const std::wstring& updateFolder);

}  // namespace setup::check
