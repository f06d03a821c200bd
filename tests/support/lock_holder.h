#pragma once

#include <filesystem>
#include <memory>

namespace setup::test {

/// Another process that takes the installation lock of a folder, as a second run of the program would,
/// and holds it until it is killed or let go.
class LockHolder {
  public:
    /// Starts the process and waits until it has tried to take the lock of `folder`.
    explicit LockHolder(const std::filesystem::path& folder);
    /// Kills the process if it still runs.
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    /// True when the other process got the lock.
    bool holds() const { return m_holds; }
    /// Ends the other process at once, as a crash or a kill does, and waits for its end.
    void kill();
    /// Lets the other process give the lock up the way a run ends, and waits for its end.
    void letGo();

  private:
    struct Process;
    std::unique_ptr<Process> m_process;
    bool m_holds = false;
};

/// In a test program started by a LockHolder (Windows, where the program starts itself): holds the lock
/// it was asked to and answers true once let go; false in a program started for its tests.
bool holdLockIfAsked();

}  // namespace setup::test
