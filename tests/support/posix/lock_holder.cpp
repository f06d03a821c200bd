#include "tests/support/lock_holder.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "platform/installation_lock.h"
#include "tests/support/child_process.h"

namespace setup::test {

namespace {

constexpr char kHolds = 'y';
constexpr char kRefused = 'n';

char readByte(int fd) {
    char byte = 0;
    ssize_t got;
    do {
        got = ::read(fd, &byte, 1);
    } while (got < 0 && errno == EINTR);
    return got == 1 ? byte : '\0';
}

}  // namespace

/// A forked child, with a pipe for its answer and one whose closing lets it go.
struct LockHolder::Process {
    int pid = -1;
    int answer = -1;
    int release = -1;
};

LockHolder::LockHolder(const std::filesystem::path& folder) : m_process(std::make_unique<Process>()) {
    int answer[2];
    int release[2];
    if (::pipe2(answer, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_process->pid = startChild([&] {
        ::close(answer[0]);
        ::close(release[1]);
        std::unique_ptr<InstallationLock> lock = takeInstallationLock(folder);
        const char said = lock ? kHolds : kRefused;
        if (::write(answer[1], &said, 1) != 1) return 1;
        readByte(release[0]);  // answers at the parent's letGo, or never
        lock.reset();
        return 0;
    });
    ::close(answer[1]);
    ::close(release[0]);
    m_process->answer = answer[0];
    m_process->release = release[1];
    const char said = readByte(m_process->answer);
    if (said != kHolds && said != kRefused) {
        kill();
        throw std::runtime_error("the lock holder failed to try the lock");
    }
    m_holds = said == kHolds;
}

LockHolder::~LockHolder() { kill(); }

void LockHolder::kill() {
    if (m_process->pid < 0) return;
    ::kill(m_process->pid, SIGKILL);
    waitForChild(m_process->pid);
    m_process->pid = -1;
    ::close(m_process->answer);
    ::close(m_process->release);
}

void LockHolder::letGo() {
    ::close(m_process->release);
    const int status = waitForChild(m_process->pid);
    m_process->pid = -1;
    ::close(m_process->answer);
    if (status != 0) throw std::runtime_error("the lock holder ended with " + std::to_string(status));
}

bool holdLockIfAsked() { return false; }

}  // namespace setup::test
