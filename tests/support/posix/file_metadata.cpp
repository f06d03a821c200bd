#include "tests/support/file_metadata.h"

#include <sys/stat.h>

namespace setup::test {

std::string fileMetadata(const std::filesystem::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return "mode " + std::to_string(st.st_mode & 07777) + " owner " + std::to_string(st.st_uid) + ":" +
           std::to_string(st.st_gid);
}

}  // namespace setup::test
