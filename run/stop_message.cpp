#include "run/stop_message.h"

#include "platform/host.h"

namespace setup {

void showStopMessage(Host& host, const BoxMessage& message, const std::wstring& cause) {
    // The caller is told first: a box that cannot be shown must not keep the words from a script.
    host.runStopped(message.title, message.text, cause);
    host.messageBox(message.text, message.style, message.title);
}

}  // namespace setup
