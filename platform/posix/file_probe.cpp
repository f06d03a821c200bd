#include "platform/file_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/failure.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

bool isExistingFolder(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void openAndClose(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO without a writer is answered at once instead of holding the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Failure("impossible d'ouvrir " + path.string() + " : " + systemErrorText(errno));
    struct stat st {};
    const bool examined = ::fstat(fd, &st) == 0;
    const int error = errno;
    ::close(fd);
    if (!examined) throw Failure("impossible d'examiner " + path.string() + " : " + systemErrorText(error));
    if (!S_ISREG(st.st_mode)) throw Failure("pas un fichier ordinaire : " + path.string());
}

NodeKind kindNoFollow(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return NodeKind::Missing;
    if (S_ISREG(st.st_mode)) return NodeKind::File;
    if (S_ISDIR(st.st_mode)) return NodeKind::Folder;
    return NodeKind::Other;
}

std::filesystem::path realLocation(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) return std::filesystem::absolute(path, error);
    return resolved;
}

std::filesystem::path spelledAsStored(const std::filesystem::path& path) { return path; }

std::optional<std::uint64_t> regularFileSize(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool nameFitsSystem(std::wstring_view name) { return toUtf8(name).size() <= 255; }

}  // namespace setup
