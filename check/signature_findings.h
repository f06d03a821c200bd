#pragma once

#include <string>

#include "check/list_analysis.h"

namespace setup::check {

/// Checks the update folder's signature, when it has one, against its list and seal as setup does, and
/// adds an error when it does not verify or names another list, seal or file. Reads no copied file:
/// their bytes are the seal's to check.
void checkSignature(ListAnalysis& analysis);

/// Checks the update against the trust of the installation `installDir` as setup would before changing
/// anything: adds an error when it trusts a key and the update is unsigned, is signed by another key, or
/// records a version below the highest one seen, or when its trust file cannot be read.
void checkSignatureTrust(ListAnalysis& analysis, const std::wstring& installDir);

}  // namespace setup::check
