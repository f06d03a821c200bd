#pragma once

#include <string>

#include "platform/file_runtime.h"

namespace setup::check {

/// The program's file services without windows: the checker reads with them and never shows a box or
/// ends the program, so asking it to is a failure.
class QuietRuntime final : public FileRuntime {
  public:
    explicit QuietRuntime(const std::wstring& programDirectory) : FileRuntime(programDirectory) {}

    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int exitStatus) override;
};

}  // namespace setup::check
