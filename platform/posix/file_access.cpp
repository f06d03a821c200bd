#include "platform/file_access.h"

#include <unistd.h>

#include <system_error>

namespace setup {

bool canWriteInDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return false;
    // Creating an entry needs write and search access to the folder.
    return ::access(directory.c_str(), W_OK | X_OK) == 0;
}

}  // namespace setup
