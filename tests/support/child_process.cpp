#include "tests/support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace setup::test {

int startChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int status = 125;
        try {
            status = body();
        } catch (...) {
        }
        std::_Exit(status);
    }
    return pid;
}

int waitForChild(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status)) return kSignalled + WTERMSIG(status);
    return WEXITSTATUS(status);
}

int runInChild(const std::function<int()>& body) { return waitForChild(startChild(body)); }

}  // namespace setup::test
