#pragma once

#include <optional>
#include <string>

#include "platform/file_runtime.h"

namespace setup {

/// The runtime of a quiet run: the program's file services and no window system at all, so that it runs
/// where no display exists. Its boxes are answered by the UnattendedRuntime over it.
class ConsoleRuntime final : public FileRuntime {
  public:
    /// `programDirectory` overrides the directory of the executable.
    explicit ConsoleRuntime(std::optional<std::wstring> programDirectory = std::nullopt)
        : FileRuntime(std::move(programDirectory)) {}

    /// There is no screen to show a box on: reaching here is a failure.
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override {}
    /// Closes every open file, flushes the C streams and ends the process with `exitStatus`.
    [[noreturn]] void endProgram(int exitStatus) override;
};

}  // namespace setup
