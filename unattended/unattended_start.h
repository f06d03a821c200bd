#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "unattended/run_options.h"

namespace setup {

class RunLog;

/// A run the command line asked for, ready to start: its options and its open log.
struct UnattendedStart {
    RunOptions options;
    std::unique_ptr<RunLog> log;  ///< null when no log was asked for
};

/// Reads the program's arguments and opens the log. Answers the exit status when the program must end at
/// once, having touched nothing: 0 after printing the usage for "/?"; 64 after printing the reason and the
/// usage on standard error for an invalid command line; 3 after printing why on standard error when the
/// log cannot be opened or is not a regular file (a link, even one leading nowhere, is never followed).
/// `msiExitCodes` lets the command line ask for the Windows installer's codes (the Windows program).
std::variant<int, UnattendedStart> prepareUnattendedRun(const std::vector<std::wstring>& arguments,
                                                        bool msiExitCodes = false);

/// The quiet run: the whole update with no window and no display, its boxes answered and its progress
/// lines on standard output. Never returns.
[[noreturn]] void runQuietly(UnattendedStart& start);

/// The exit status of a command line that cannot be read (the usage error of the BSD convention).
inline constexpr int kUsageExitStatus = 64;

}  // namespace setup
