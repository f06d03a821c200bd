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
#include "platform/text_codec.h"

namespace setup {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
    throw Failure(what + " " + path.string() + ": " + std::strerror(error));
}

/// Opens `path` for reading only when it is a regular file; a FIFO or device never blocks the open.
int openRegularForReading(const fs::path& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fail("cannot open", path, errno);
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        fail("cannot examine", path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        fail("not a regular file:", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

/// Reads up to `size` bytes, retrying on interruption; 0 at the end of the file.
std::size_t readSome(int fd, char* data, std::size_t size, const fs::path& path) {
    for (;;) {
        const ssize_t count = ::read(fd, data, size);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno != EINTR) fail("cannot read", path, errno);
    }
}

void writeAll(int fd, const char* data, std::size_t size, const fs::path& path) {
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count < 0) {
            if (errno == EINTR) continue;
            fail("cannot write", path, errno);
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
}

/// The process's file creation mask, read without changing it.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

/// Creates the file `path` afresh for writing, with its missing parent folders; whatever was at `path`
/// (a file left by an earlier run, a link) is removed first, so nothing is ever written through a link.
int createFresh(const fs::path& path) {
    const fs::path directory = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) fail("cannot create the folder", directory, error.value());
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("cannot remove", path, errno);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) fail("cannot create", path, errno);
    return fd;
}

/// Copies the rest of `in` to `out`: inside the kernel where the system can, else through a large buffer
/// (across file systems, or where the in-kernel copy is refused).
void copyContent(int in, int out, const fs::path& source, const fs::path& destination) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    for (;;) {
        const ssize_t count = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
        if (count > 0) continue;
        if (count == 0) return;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM ||
            errno == EBADF) {
            break;
        }
        fail("cannot copy " + source.string() + " to", destination, errno);
    }
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    const std::unique_ptr<char[]> buffer(new char[kBuffer]);
    while (const std::size_t count = readSome(in, buffer.get(), kBuffer, source)) {
        writeAll(out, buffer.get(), count, destination);
    }
}

/// Writes a temporary file beside `path` through `fill`, gives it `mode`, and renames it over `path`.
/// The temporary file never outlives a failure.
void replaceThroughTemporary(const fs::path& path, mode_t mode, const std::function<void(int)>& fill) {
    const fs::path directory = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) fail("cannot create the folder", directory, error.value());

    // One name per process: one left by a stopped process of the same number is its own, and goes.
    const fs::path temporaryPath = directory / toUtf8(replacementTemporaryName(currentProcessId()));
    if (::unlink(temporaryPath.c_str()) != 0 && errno != ENOENT) fail("cannot remove", temporaryPath, errno);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) fail("cannot create a temporary file in", directory, errno);
    Descriptor temporary(fd);
    try {
        fill(fd);
        if (::fchmod(fd, mode) != 0) fail("cannot set the mode of", temporaryPath, errno);
        if (::fsync(fd) != 0) fail("cannot flush", temporaryPath, errno);
        if (const int closeError = temporary.release(); closeError != 0) {
            fail("cannot close", temporaryPath, closeError);
        }
        if (::rename(temporaryPath.c_str(), path.c_str()) != 0) fail("cannot replace", path, errno);
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
        const std::size_t count = readSome(fd.get(), bytes.data() + filled, bytes.size() - filled, path);
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
        fail("cannot examine", path, errno);
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
    replaceThroughTemporary(target, mode, [&](int fd) { writeAll(fd, bytes.data(), bytes.size(), target); });
}

void stageFileCopy(const fs::path& source, const fs::path& installed, const fs::path& staged) {
    struct stat sourceStat {};
    Descriptor in(openRegularForReading(source, sourceStat));
    struct stat installedStat {};
    const bool replacing = ::lstat(installed.c_str(), &installedStat) == 0 && S_ISREG(installedStat.st_mode);
    Descriptor out(createFresh(staged));
    try {
        copyContent(in.get(), out.get(), source, staged);
        if (replacing) {
            // Only a privileged user may give a file away; anyone else keeps the file as their own.
            if (::fchown(out.get(), installedStat.st_uid, installedStat.st_gid) != 0 && errno != EPERM) {
                fail("cannot set the owner of", staged, errno);
            }
        }
        const mode_t mode = replacing ? installedStat.st_mode & 07777 : sourceStat.st_mode & 0777;
        if (::fchmod(out.get(), mode) != 0) fail("cannot set the mode of", staged, errno);
        if (const int closeError = out.release(); closeError != 0) fail("cannot close", staged, closeError);
    } catch (...) {
        ::unlink(staged.c_str());
        throw;
    }
}

void writeFileUnflushed(const fs::path& path, const std::string& bytes) {
    Descriptor out(createFresh(path));
    try {
        writeAll(out.get(), bytes.data(), bytes.size(), path);
        if (::fchmod(out.get(), 0666 & ~currentUmask()) != 0) fail("cannot set the mode of", path, errno);
        if (const int closeError = out.release(); closeError != 0) fail("cannot close", path, closeError);
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
}

void flushFiles(const std::vector<fs::path>& paths) {
    // One flush of each file system that holds the files writes them all back together, at the cost of
    // about one flush rather than one per file.
    std::map<dev_t, const fs::path*> oneOnEachDevice;
    for (const fs::path& path : paths) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) fail("cannot examine", path, errno);
        oneOnEachDevice.emplace(st.st_dev, &path);
    }
    for (const auto& [device, path] : oneOnEachDevice) {
        Descriptor fd(::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (fd.get() < 0) fail("cannot open", *path, errno);
        if (::syncfs(fd.get()) != 0) fail("cannot flush", *path, errno);
    }
}

void flushFolders(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0) fail("cannot open the folder", folder, errno);
        if (::fsync(fd.get()) != 0) fail("cannot flush the folder", folder, errno);
    }
}

void renameReplacing(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("cannot rename " + from.string() + " to", to, errno);
}

void createFolder(const fs::path& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) fail("cannot create the folder", path, errno);
}

void removeEmptyFolder(const fs::path& path) {
    if (::rmdir(path.c_str()) != 0) fail("cannot remove the folder", path, errno);
}

bool existsNoFollow(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void removeFile(const fs::path& path) {
    const fs::path& mapped = path;
    struct stat st {};
    if (::lstat(mapped.c_str(), &st) != 0) {
        throw Failure("cannot delete " + mapped.string() + ": " + std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) throw Failure("will not delete the folder " + mapped.string());
    if (::unlink(mapped.c_str()) != 0) {
        throw Failure("cannot delete " + mapped.string() + ": " + std::strerror(errno));
    }
}

void removeFileEvenReadOnly(const fs::path& path) { removeFile(path); }

}  // namespace setup
