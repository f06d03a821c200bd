#include "tests/support/file_metadata.h"

#include <windows.h>

namespace setup::test {

std::string fileMetadata(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.wstring().c_str());
    return "attributes " + std::to_string(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                        FILE_ATTRIBUTE_SYSTEM));
}

}  // namespace setup::test
