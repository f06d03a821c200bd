#include "unattended/copy_progress.h"

#include <algorithm>
#include <chrono>

namespace setup {

std::wstring progressLine(int filesDone, int filesTotal, std::uint64_t bytesDone, std::uint64_t bytesTotal) {
    // The percentage follows the bytes, which is what takes the time; with nothing to copy it is whole.
    const std::uint64_t percent = bytesTotal == 0
                                      ? (filesDone >= filesTotal ? 100 : 0)
                                      : std::min<std::uint64_t>(100, bytesDone * 100 / bytesTotal);
    return L"Copie : " + std::to_wstring(filesDone) + L" fichier" + (filesDone > 1 ? L"s" : L"") + L" sur " +
           std::to_wstring(filesTotal) + L", " + std::to_wstring(bytesDone) + L" octet" +
           (bytesDone > 1 ? L"s" : L"") + L" sur " + std::to_wstring(bytesTotal) + L" (" +
           std::to_wstring(percent) + L" %)\n";
}

ProgressTicker::ProgressTicker(const CopyProgress& progress, std::function<void(std::wstring_view)> write)
    : m_progress(progress), m_write(std::move(write)) {}

ProgressTicker::~ProgressTicker() { stopThread(); }

void ProgressTicker::start() {
    m_thread = std::thread([this] {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopping; })) tick();
    });
}

void ProgressTicker::finish() {
    stopThread();
    tick();
}

void ProgressTicker::tick() {
    m_write(progressLine(m_progress.filesDone, m_progress.filesTotal, m_progress.bytesDone,
                         m_progress.bytesTotal));
}

void ProgressTicker::stopThread() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

}  // namespace setup
