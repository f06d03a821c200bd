#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace setup {

/// How far the copy has gone: written by the run as each file is staged, read by the progress line from
/// its own thread.
struct CopyProgress {
    std::atomic<int> filesDone{0};
    std::atomic<std::uint64_t> bytesDone{0};
    std::atomic<int> filesTotal{0};
    std::atomic<std::uint64_t> bytesTotal{0};
};

/// The line a script reads: "Copie : 2 fichiers sur 3, 41 octets sur 62 (66 %)" and a line end.
std::wstring progressLine(int filesDone, int filesTotal, std::uint64_t bytesDone, std::uint64_t bytesTotal);

/// Writes the progress line about every second while the copy runs, from a thread of its own, so that
/// a script sees the run alive during a long copy too.
class ProgressTicker {
  public:
    /// `write` takes each line; it is called from the ticker's thread.
    ProgressTicker(const CopyProgress& progress, std::function<void(std::wstring_view)> write);
    /// Stops the thread without a last line.
    ~ProgressTicker();
    ProgressTicker(const ProgressTicker&) = delete;
    ProgressTicker& operator=(const ProgressTicker&) = delete;

    /// Starts the thread; its first line comes a second later.
    void start();
    /// Stops the thread, then writes the line as it stands now, so the last line a script reads is the
    /// copy's end.
    void finish();
    /// Writes the line as it stands now.
    void tick();

  private:
    void stopThread();

    const CopyProgress& m_progress;
    std::function<void(std::wstring_view)> m_write;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace setup
