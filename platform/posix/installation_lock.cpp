#include "platform/installation_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/failure.h"
#include "platform/system_error_text.h"

namespace setup {

namespace {

namespace fs = std::filesystem;

/// Each retry follows a holder that removed the lock file between our open and our lock; this many in a
/// row means the name is being played with.
constexpr int kMaxAttempts = 100;

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw Failure(what + " " + path.string() + " : " + systemErrorText(error));
}

[[noreturn]] void refuse(const fs::path& path) {
    throw ForeignLockFile("not the program's lock file: " + path.string());
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

class FlockInstallationLock final : public InstallationLock {
  public:
    FlockInstallationLock(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    FlockInstallationLock(const FlockInstallationLock&) = delete;
    FlockInstallationLock& operator=(const FlockInstallationLock&) = delete;

    ~FlockInstallationLock() override {
        // The name goes while the lock is still held: a run that opened the file meanwhile finds, once
        // it gets the lock, that the name no longer leads to it and starts again on a fresh file.
        struct stat named {};
        struct stat held {};
        if (::lstat(m_path.c_str(), &named) == 0 && ::fstat(m_fd, &held) == 0 && sameFile(named, held))
            ::unlink(m_path.c_str());
        // Explicitly, since a forked child may still share the descriptor.
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }

  private:
    int m_fd;
    fs::path m_path;
};

}  // namespace

std::unique_ptr<InstallationLock> takeInstallationLock(const fs::path& folder) {
    const fs::path path = folder / kInstallationLockName;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        // Read access is enough for flock, so a lock file left by another user's killed run still serves.
        const int fd =
            ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
        if (fd < 0) {
            const int error = errno;
            // The system's reason differs with what stands there (ELOOP, EISDIR, ENXIO...); what stands
            // there tells a foreign file apart from a folder where none can be made.
            struct stat named {};
            if (::lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) refuse(path);
            fail("impossible d'ouvrir le verrou de l'installation", path, error);
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0) {
            const int error = errno;
            ::close(fd);
            fail("impossible d'examiner le verrou de l'installation", path, error);
        }
        if (!S_ISREG(held.st_mode)) {
            ::close(fd);
            refuse(path);
        }
        int locked;
        do {
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) return nullptr;
            fail("impossible de verrouiller", path, error);
        }
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && sameFile(named, held))
            return std::make_unique<FlockInstallationLock>(fd, path);
        ::close(fd);
    }
    throw Failure("le verrou de l'installation " + path.string() + " ne cesse d'\u00EAtre remplac\u00E9");
}

}  // namespace setup
