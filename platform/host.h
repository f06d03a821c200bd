#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace setup {

/// Message box styles and answers used by the program.
namespace box {
inline constexpr int kCritical = 16;          ///< stop icon, OK
inline constexpr int kExclamation = 48;       ///< exclamation icon, OK
inline constexpr int kInformation = 64;       ///< information icon, OK
inline constexpr int kQuestionOkCancel = 33;  ///< question icon, OK and Cancel
inline constexpr int kQuestionYesNo = 36;     ///< question icon, Yes and No
inline constexpr int kRetryCancel = 53;       ///< exclamation icon, Retry and Cancel
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kRetry = 4;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace box

/// What the program runs inside: where its messages go (message boxes, the log, the progress a window-less
/// run shows), the window messages it lets through, the folder it was started from, and the end of the
/// process. A shell implements it over its window system; a run without a person wraps it.
class Host {
  public:
    /// `programDirectory` overrides the directory of the executable (tests run on temporary folders).
    explicit Host(std::optional<std::wstring> programDirectory = std::nullopt)
        : m_programDirectory(std::move(programDirectory)) {}
    virtual ~Host() = default;

    /// Directory of the running program, without a trailing separator except at the root.
    virtual std::wstring programDirectory();
    /// Shows a modal message box and answers the button pressed (box::kOk, kCancel, kRetry, kYes, kNo).
    virtual int messageBox(const std::wstring& text, int style, const std::wstring& title) = 0;
    /// Handles every window message already queued, then returns.
    virtual void processPendingMessages() = 0;
    /// Ends the process at once with `exitStatus`. The run's files are already let go (Runtime::endProgram).
    [[noreturn]] virtual void endProgram(int exitStatus) = 0;

    /// Records one event of the run for an administrator's log; does nothing where no log was asked for.
    virtual void logEvent(const std::wstring& event) { (void)event; }
    /// Told of each file the update staged, with the bytes it holds, for the log and the progress a
    /// window-less run shows.
    virtual void fileStaged(const std::wstring& source, const std::wstring& target, std::uint64_t bytes) {
        (void)source, (void)target, (void)bytes;
    }
    /// Told the box that ends the run short (a refusal or a failure, already shown) and, for a failure,
    /// its cause as the log gives it; a run nobody watches writes them where its caller reads them.
    virtual void runStopped(const std::wstring& title, const std::wstring& text, const std::wstring& cause) {
        (void)title, (void)text, (void)cause;
    }
    /// Told that another run holds the installation, so that this one ends without having started.
    virtual void installationBusy() {}
    /// How long a run nobody watches waits for files another program holds, in seconds; nullopt where a
    /// person is there to be asked.
    virtual std::optional<int> heldFilesWaitSeconds() { return std::nullopt; }
    /// Lets one second pass while the run waits for held files, the windows kept alive meanwhile.
    virtual void waitOneSecond();

  private:
    std::optional<std::wstring> m_programDirectory;
};

}  // namespace setup
