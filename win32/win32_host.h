#pragma once

#include <optional>
#include <string>

#include "platform/host.h"

namespace setup {

class MessageLoop;

/// The host of the Windows program: message boxes, pending messages and the end of the process over Win32.
class Win32Host final : public Host {
  public:
    /// `programDirectory` overrides the directory of the executable (tests run on temporary folders).
    explicit Win32Host(MessageLoop& loop, std::optional<std::wstring> programDirectory = std::nullopt);

    /// A MessageBoxW with the exact text, title and style, owned by the window in front; answers the
    /// button pressed (the system answers Cancel, or No, when the box is closed).
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override;
    /// Flushes the C streams and ends the process with `exitStatus`.
    [[noreturn]] void endProgram(int exitStatus) override;

  private:
    MessageLoop& m_loop;
};

}  // namespace setup
