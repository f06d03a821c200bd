#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <system_error>

#include "platform/failure.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/io_loops.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw Failure(what + " " + path.string() + " : " + systemErrorText(error));
}

/// Opens `path` for reading only when it is a regular file; a FIFO or device never blocks the open.
int openRegularForReading(const fs::path& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fail("impossible d'ouvrir", path, errno);
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        fail("impossible d'examiner", path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        fail("pas un fichier ordinaire :", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

/// Writes a temporary file beside `path` through `fill`, gives it `mode`, and renames it over `path`.
/// The temporary file never outlives a failure.
void replaceThroughTemporary(const fs::path& path, mode_t mode, const std::function<void(int)>& fill) {
    const fs::path directory = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) fail("impossible de cr\u00E9er le dossier", directory, error.value());

    // One name per process: one left by a stopped process of the same number is its own, and goes.
    const fs::path temporaryPath = directory / toUtf8(replacementTemporaryName(currentProcessId()));
    if (::unlink(temporaryPath.c_str()) != 0 && errno != ENOENT)
        fail("impossible de retirer", temporaryPath, errno);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) fail("impossible de cr\u00E9er un fichier temporaire dans", directory, errno);
    Descriptor temporary(fd);
    try {
        fill(fd);
        if (::fchmod(fd, mode) != 0) fail("impossible de fixer les droits de", temporaryPath, errno);
        if (::fsync(fd) != 0) fail("impossible d'\u00E9crire sur le disque", temporaryPath, errno);
        if (const int closeError = temporary.release(); closeError != 0) {
            fail("impossible de fermer", temporaryPath, closeError);
        }
        if (::rename(temporaryPath.c_str(), path.c_str()) != 0) fail("impossible de remplacer", path, errno);
    } catch (...) {
        ::unlink(temporaryPath.c_str());
        throw;
    }
    // Makes the rename itself durable; the new content is already complete either way.
    if (const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

/// The file a replacement must land on: the target of a symbolic link, so the link itself survives.
fs::path replacementTarget(const fs::path& path) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        fs::path resolved = fs::canonical(path, error);
        if (!error) return resolved;
    }
    return path;
}

}  // namespace

std::string readWholeFile(const fs::path& path) {
    struct stat st {};
    Descriptor fd(openRegularForReading(path, st));
    // Read straight into a string of the file's size, so a list of many entries costs one copy; a file
    // that grows meanwhile is read to its end all the same.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        const std::size_t count =
            readSome(fd.get(), bytes.data() + filled, bytes.size() - filled, path.string());
        if (count == 0) break;
        filled += count;
    }
    bytes.resize(filled);
    return bytes;
}

std::optional<std::string> readFileIfPresent(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("impossible d'examiner", path, errno);
    }
    return readWholeFile(path);
}

std::uint64_t currentProcessId() { return static_cast<std::uint64_t>(::getpid()); }

std::wstring replacementTemporaryName(std::uint64_t processId) {
    return L".setup-" + std::to_wstring(processId) + L".tmp";
}

void replaceFileAtomically(const fs::path& path, const std::string& bytes) {
    const fs::path target = replacementTarget(path);
    mode_t mode = 0666 & ~currentUmask();
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) mode = st.st_mode & 07777;
    replaceThroughTemporary(target, mode,
                            [&](int fd) { writeAll(fd, bytes.data(), bytes.size(), target.string()); });
}

void writeNewPrivateFile(const fs::path& path, const std::string& bytes) {
    // Made with its final mode from the first byte, so no other user ever holds it open.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) fail("impossible de cr\u00E9er", path, errno);
    Descriptor file(fd);
    try {
        writeAll(fd, bytes.data(), bytes.size(), path.string());
        if (::fsync(fd) != 0) fail("impossible d'\u00E9crire sur le disque", path, errno);
        if (const int closeError = file.release(); closeError != 0)
            fail("impossible de fermer", path, closeError);
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
}

bool existsNoFollow(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void removeFile(const fs::path& path) {
    const fs::path& mapped = path;
    struct stat st {};
    if (::lstat(mapped.c_str(), &st) != 0) {
        throw Failure("impossible de supprimer " + mapped.string() + " : " + systemErrorText(errno));
    }
    if (S_ISDIR(st.st_mode)) throw Failure("refus de supprimer le dossier " + mapped.string());
    if (::unlink(mapped.c_str()) != 0) {
        throw Failure("impossible de supprimer " + mapped.string() + " : " + systemErrorText(errno));
    }
}

void removeFileEvenReadOnly(const fs::path& path) { removeFile(path); }

}  // namespace setup
