#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

AppendFile::AppendFile(const std::wstring& path) {
    const std::string name = toUtf8(path);
    // O_APPEND moves every write to the end of the file in the same step as the write itself, whoever
    // else appends meanwhile.
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (descriptor < 0) throw Failure(std::strerror(errno));
    m_handle = descriptor;
}

AppendFile::~AppendFile() { ::close(static_cast<int>(m_handle)); }

void AppendFile::append(std::string_view bytes) {
    ssize_t written = 0;
    do {
        written = ::write(static_cast<int>(m_handle), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) throw Failure(std::strerror(errno));
    if (static_cast<std::size_t>(written) != bytes.size()) throw Failure("partial write");
}

std::string_view systemLineEnd() { return "\n"; }

}  // namespace setup
