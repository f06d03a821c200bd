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

/// How long a passive or quiet run waits, in seconds, for files another program holds, unless told.
inline constexpr int kDefaultHeldFilesWait = 60;
/// The longest wait the command line may ask for.
inline constexpr int kLongestHeldFilesWait = 3600;

/// The exit statuses the run ends with.
enum class ExitCodes {
    Plain,  ///< 0 to 3, as the README lists them
    Msi,    ///< the Windows installer's codes that deployment tools read (1602, 1603, 1618)
};

/// What the command line asks for.
struct RunOptions {
    RunMode mode = RunMode::Interactive;
    std::optional<std::wstring> logPath;        ///< the log to append to, when one is asked for
    bool help = false;                          ///< print the usage and end
    int heldFilesWait = kDefaultHeldFilesWait;  ///< seconds a run nobody watches waits for held files
    ExitCodes exitCodes = ExitCodes::Plain;
    bool operator==(const RunOptions&) const = default;
};

/// The options, or why the command line cannot be read.
struct ParsedOptions {
    std::optional<RunOptions> options;  ///< set when the command line is valid
    std::wstring error;                 ///< the French reason otherwise
};

/// Reads the program's arguments: "/quiet", "/passive", "/log FILE" or "/log:FILE", "/wait:SECONDS",
/// "/exitcodes:msi", "/?", without regard to letter case and with "-" for "/"; also "--quiet", "--passive",
/// "--log FILE", "--log=FILE", "--wait=SECONDS", "--exitcodes=msi" and "--help", so that one deployment
/// script serves both programs. Two different modes, an option given twice, "/log" without a file, a wait
/// that is not a whole number of seconds from 0 to 3600, "/exitcodes:msi" where `msiExitCodes` is false
/// (an exit status there holds only 0 to 255) or any other argument make the command line invalid.
ParsedOptions parseRunOptions(const std::vector<std::wstring>& arguments, bool msiExitCodes = false);

/// The exit status that `status` (0 to 3) becomes with `codes`; `installationBusy` tells a failure to
/// start because another run holds the installation, which a deployment tool retries later.
int exitCodeFor(ExitCodes codes, int status, bool installationBusy);

/// The short French usage: the options and the exit statuses; the Windows installer's codes where
/// `msiExitCodes`.
std::wstring usageText(bool msiExitCodes = false);

}  // namespace setup
