#include "platform/standard_streams.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/text_codec.h"

namespace setup {

namespace {

void writeAll(int descriptor, std::wstring_view text) {
    const std::string bytes = toUtf8(text);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace

void writeStandardOutput(std::wstring_view text) { writeAll(STDOUT_FILENO, text); }

void writeStandardError(std::wstring_view text) { writeAll(STDERR_FILENO, text); }

}  // namespace setup
