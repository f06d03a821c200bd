#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

[[noreturn]] void refuse(const std::string& name) {
    throw NotARegularFile("pas un fichier ordinaire : " + name);
}

}  // namespace

AppendFile::AppendFile(const std::wstring& path) {
    const std::string name = toUtf8(path);
    // O_APPEND moves every write to the end of the file in the same step as the write itself, whoever
    // else appends meanwhile. The run has an administrator's rights: a link at the name is never followed
    // (it would let anyone make the run write into, or create, any file), and O_NONBLOCK keeps a FIFO
    // without a reader from holding the run at its open.
    const int descriptor = ::open(
        name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (descriptor < 0) {
        const int error = errno;
        // The system's reason differs with what stands there (ELOOP, EISDIR, ENXIO...); what stands there
        // tells the refusal apart from a name that cannot be opened at all.
        struct stat named {};
        if (::lstat(name.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) refuse(name);
        throw Failure(systemErrorText(error));
    }
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0) {
        const int error = errno;
        ::close(descriptor);
        throw Failure(systemErrorText(error));
    }
    if (!S_ISREG(opened.st_mode)) {
        ::close(descriptor);
        refuse(name);
    }
    // Appends must wait for the disk like any write; only the open had to be kept from waiting.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    m_handle = descriptor;
}

AppendFile::~AppendFile() { ::close(static_cast<int>(m_handle)); }

void AppendFile::append(std::string_view bytes) {
    ssize_t written = 0;
    do {
        written = ::write(static_cast<int>(m_handle), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) throw Failure(systemErrorText(errno));
    if (static_cast<std::size_t>(written) != bytes.size()) throw Failure("\u00E9criture incompl\u00E8te");
}

std::string_view systemLineEnd() { return "\n"; }

}  // namespace setup
