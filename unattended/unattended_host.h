#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "platform/host.h"
#include "unattended/run_options.h"

namespace setup {

class RunLog;
struct CopyProgress;

/// A run's host as the command line chose it: the windows are the inner host's, but the message boxes are
/// answered here in the passive and quiet modes (as a person would to go ahead), refusals and failures go
/// to standard error, and every event, box and answer goes into the log when there is one.
class UnattendedHost final : public Host {
  public:
    /// `log` and `progress` may be null (no log asked for; no progress line). `toStandardError` takes
    /// whole lines. `heldFilesWait` is how long, in seconds, the passive and quiet modes wait for files
    /// another program holds; `exitCodes` the statuses the run ends with.
    UnattendedHost(Host& inner, RunMode mode, RunLog* log, CopyProgress* progress,
                   std::function<void(std::wstring_view)> toStandardError,
                   int heldFilesWait = kDefaultHeldFilesWait, ExitCodes exitCodes = ExitCodes::Plain);

    /// Logs the start of the run: the program and its version, the mode and the update folder.
    void logStart();

    /// The answer a box of `style` gets in `mode` without a person: OK to every OK box and to the
    /// confirmation; to the question whether to cancel, No in the quiet mode (nobody asked for it) and Yes
    /// in the passive mode (only a click on the window's button asks it).
    static int unattendedAnswer(RunMode mode, int style);

    std::wstring programDirectory() override { return m_inner.programDirectory(); }
    /// Appends the event to the log, when there is one.
    void logEvent(const std::wstring& event) override;
    /// Logs the file and its bytes and counts them for the progress line.
    void fileStaged(const std::wstring& source, const std::wstring& target, std::uint64_t bytes) override;
    /// Logs the box; shows it through the inner host in the interactive mode, else answers it itself; logs
    /// the answer.
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    /// Outside the interactive mode, writes "title — text" to standard error, and " — Échec : " with the
    /// cause after it for a failure.
    void runStopped(const std::wstring& title, const std::wstring& text, const std::wstring& cause) override;
    void processPendingMessages() override { m_inner.processPendingMessages(); }
    /// The wait given, outside the interactive mode.
    std::optional<int> heldFilesWaitSeconds() override;
    void waitOneSecond() override { m_inner.waitOneSecond(); }
    void installationBusy() override { m_installationBusy = true; }
    /// Logs the exit status (`exitStatus` as the exit codes asked for make it) and the time the run took,
    /// then ends through the inner host.
    [[noreturn]] void endProgram(int exitStatus) override;

  private:
    Host& m_inner;
    RunMode m_mode;
    RunLog* m_log;
    CopyProgress* m_progress;
    std::function<void(std::wstring_view)> m_toStandardError;
    int m_heldFilesWait;
    ExitCodes m_exitCodes;
    bool m_installationBusy = false;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

/// The program's version, as the log names it.
std::wstring programVersion();

/// What an exit status tells, in the log's words.
std::wstring exitStatusMeaning(int exitStatus);

/// The time a run took, in seconds with three decimals and a decimal comma: "1,250 s".
std::wstring durationText(std::chrono::nanoseconds duration);

}  // namespace setup
