#include "platform/posix/io_loops.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/failure.h"
#include "platform/system_error_text.h"

namespace setup {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& shown, int error) {
    throw Failure(what + " " + shown + " : " + systemErrorText(error));
}

}  // namespace

std::size_t readSome(int fd, char* data, std::size_t size, const std::string& shown) {
    for (;;) {
        const ssize_t count = ::read(fd, data, size);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno != EINTR) fail("impossible de lire", shown, errno);
    }
}

void writeAll(int fd, const char* data, std::size_t size, const std::string& shown) {
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count < 0) {
            if (errno == EINTR) continue;
            fail("impossible d'\u00E9crire", shown, errno);
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
}

mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    // Setting the mask is the only other way to learn it; it is put back at once.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace setup
