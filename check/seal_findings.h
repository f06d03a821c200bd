#pragma once

#include "check/analysed_list.h"

namespace setup::check {

/// Checks the update folder's seal, when it has one, against the files the list copies, as setup does
/// before its copy, and adds each problem as an error: at the list's line for a copied file, at the seal's
/// line (named in the message) for the seal's own lines. Files missing from the folder or leading out of
/// it are left to the list's own findings. Reads every sealed file.
void checkSeal(ListAnalysis& analysis);

}  // namespace setup::check
