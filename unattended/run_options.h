#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

/// How a run answers its questions and shows itself.
enum class RunMode {
    Interactive,  ///< windows and message boxes, a person answers (the program without arguments)
    Passive,      ///< windows without message boxes: nothing is asked, the finished window closes itself
    Quiet,        ///< no window at all and no display needed: every question answered to go ahead
};

/// What the command line asks for.
struct RunOptions {
    RunMode mode = RunMode::Interactive;
    std::optional<std::wstring> logPath;  ///< the log to append to, when one is asked for
    bool help = false;                    ///< print the usage and end
    bool operator==(const RunOptions&) const = default;
};

/// The options, or why the command line cannot be read.
struct ParsedOptions {
    std::optional<RunOptions> options;  ///< set when the command line is valid
    std::wstring error;                 ///< the French reason otherwise
};

/// Reads the program's arguments: "/quiet", "/passive", "/log FILE" or "/log:FILE", "/?", without regard
/// to letter case and with "-" for "/"; also "--quiet", "--passive", "--log FILE", "--log=FILE" and
/// "--help", so that one deployment script serves both programs. Two different modes, a log named twice,
/// "/log" without a file or any other argument make the command line invalid.
ParsedOptions parseRunOptions(const std::vector<std::wstring>& arguments);

/// The short French usage: the options and the exit statuses.
std::wstring usageText();

}  // namespace setup
