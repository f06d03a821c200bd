#pragma once

#include <string>

#include "run/box_message.h"

namespace setup {

class Host;

/// Shows the box that ends the run short (a refusal or a failure), then hands it to the host with the
/// failure's cause (empty for a refusal), so that a run nobody watches also writes it for its caller.
void showStopMessage(Host& host, const BoxMessage& message, const std::wstring& cause = {});

}  // namespace setup
