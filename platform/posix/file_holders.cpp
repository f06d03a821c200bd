#include "platform/file_holders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/path_mapping.h"
#include "platform/posix/descriptor.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

/// A file's content as the kernel tells it apart: its device and its inode.
using FileId = std::pair<dev_t, ino_t>;

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

struct StreamCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

/// The files `paths` name now; a missing one is held by nobody.
std::set<FileId> identitiesOf(const std::vector<std::wstring>& paths) {
    std::set<FileId> ids;
    for (const std::wstring& path : paths) {
        const std::string mapped = mapPath(path).string();
        struct stat st {};
        if (::stat(mapped.c_str(), &st) == 0) {
            ids.emplace(st.st_dev, st.st_ino);
        } else if (errno != ENOENT && errno != ENOTDIR) {
            throw Failure("impossible d'examiner " + mapped + " : " + systemErrorText(errno));
        }
    }
    return ids;
}

std::optional<pid_t> processNumber(std::string_view name) {
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
    return pid;
}

/// Opens the entry `name` of the process folder `process`; a process that ended or that the caller may
/// not look into gives nothing, which every reader below takes as "holds nothing".
Directory openListing(int process, const char* name) {
    const int fd = ::openat(process, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    DIR* directory = ::fdopendir(fd);
    if (directory == nullptr) ::close(fd);
    return Directory(directory);
}

bool opensAny(int process, const std::set<FileId>& wanted) {
    const Directory descriptors = openListing(process, "fd");
    if (!descriptors) return false;
    const int folder = ::dirfd(descriptors.get());
    while (const dirent* entry = ::readdir(descriptors.get())) {
        struct stat st {};
        // Each entry is a link to the open file itself: stat through it reaches the content held.
        if (entry->d_name[0] != '.' && ::fstatat(folder, entry->d_name, &st, 0) == 0 &&
            wanted.count({st.st_dev, st.st_ino}) != 0) {
            return true;
        }
    }
    return false;
}

bool mapsAny(int process, const std::set<FileId>& wanted) {
    const int fd = ::openat(process, "maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const Stream maps(::fdopen(fd, "r"));
    if (!maps) {
        ::close(fd);
        return false;
    }
    // A line: address range, permissions, offset, device (major:minor in hexadecimal), inode, name.
    char* line = nullptr;
    std::size_t capacity = 0;
    bool found = false;
    while (!found && ::getline(&line, &capacity, maps.get()) > 0) {
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long long inode = 0;
        found = std::sscanf(line, "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) == 3 && inode != 0 &&
                wanted.count({::makedev(major, minor), static_cast<ino_t>(inode)}) != 0;
    }
    std::free(line);
    return found;
}

std::optional<std::wstring> programName(int process) {
    const Descriptor comm(::openat(process, "comm", O_RDONLY | O_CLOEXEC));
    if (comm.get() < 0) return std::nullopt;
    char name[64];
    const ssize_t length = ::read(comm.get(), name, sizeof name);
    if (length <= 0) return std::nullopt;
    std::string_view text(name, static_cast<std::size_t>(length));
    if (text.back() == '\n') text.remove_suffix(1);
    return fromUtf8(text);
}

/// Reads /proc: every process's open descriptors, then its mappings, each read once.
class ProcessFileHolderFinder final : public FileHolderFinder {
  public:
    std::vector<FileHolder> holdersOf(const std::vector<std::wstring>& paths) override {
        const std::set<FileId> wanted = identitiesOf(paths);
        if (wanted.empty()) return {};
        const Directory processes(::opendir("/proc"));
        if (!processes)
            throw Failure(std::string("impossible d'\u00E9num\u00E9rer les processus : ") +
                          systemErrorText(errno));
        const pid_t self = ::getpid();
        std::vector<FileHolder> holders;
        while (const dirent* entry = ::readdir(processes.get())) {
            const std::optional<pid_t> pid = processNumber(entry->d_name);
            if (!pid || *pid == self) continue;
            // Opened once: a number taken by a new process meanwhile cannot mix two processes' answers.
            const Descriptor process(
                ::openat(::dirfd(processes.get()), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (process.get() < 0 || !(opensAny(process.get(), wanted) || mapsAny(process.get(), wanted)))
                continue;
            if (std::optional<std::wstring> name = programName(process.get()))
                holders.push_back({std::move(*name), static_cast<std::uint32_t>(*pid)});
        }
        std::sort(holders.begin(), holders.end(),
                  [](const FileHolder& a, const FileHolder& b) { return a.processId < b.processId; });
        return holders;
    }
};

}  // namespace

std::unique_ptr<FileHolderFinder> systemFileHolderFinder() {
    return std::make_unique<ProcessFileHolderFinder>();
}

}  // namespace setup
