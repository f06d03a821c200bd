#pragma once

#include <string>

#include "platform/host.h"

namespace setup::check {

/// A host without windows: the checker never shows a box or ends the program, so asking it to is a
/// failure.
class QuietHost final : public Host {
  public:
    explicit QuietHost(const std::wstring& programDirectory) : Host(programDirectory) {}

    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int exitStatus) override;
};

}  // namespace setup::check
