#pragma once

#include <optional>
#include <string>

#include "platform/host.h"

namespace setup {

/// The host of a quiet run: no window system at all, so that it runs where no display exists. Its boxes
/// are answered by the UnattendedHost over it.
class ConsoleHost final : public Host {
  public:
    /// `programDirectory` overrides the directory of the executable.
    explicit ConsoleHost(std::optional<std::wstring> programDirectory = std::nullopt)
        : Host(std::move(programDirectory)) {}

    /// There is no screen to show a box on: reaching here is a failure.
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override {}
    /// Flushes the C streams and ends the process with `exitStatus`.
    [[noreturn]] void endProgram(int exitStatus) override;
};

}  // namespace setup
