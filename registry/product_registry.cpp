#include "registry/product_registry.h"

#include <string>

#include "platform/text_codec.h"
#include "registry/path_routines.h"
#include "registry/profile_service.h"

namespace setup {

namespace {
constexpr std::size_t kReadBufferSize = 255;
}  // namespace

std::wstring ReadProfileValue(std::wstring fileName, std::wstring section, std::wstring key) {
    std::string buffer(kReadBufferSize, ' ');
    const std::size_t count = getPrivateProfileString(toAnsi(section), toAnsi(key), buffer.data(),
                                                      kReadBufferSize, toAnsi(fileName));
    if (count < 1) return L"";
    std::wstring value = TrimAtNul(fromAnsi(buffer));
    const std::size_t last = value.find_last_not_of(L' ');
    value.erase(last == std::wstring::npos ? 0 : last + 1);
    return value;
}

void writeVersion(const std::wstring& section, const std::wstring& version) {
    // Where names keep their case, the two spellings can find two files; the stamp goes to the file the
    // checks read, and the write's spelling only names a registry that does not exist yet.
    const std::string readName = toAnsi(kRegistryReadName);
    const std::string fileName = profileFileExists(readName) ? readName : toAnsi(kRegistryWriteName);
    writePrivateProfileString(toAnsi(section), "Version", toAnsi(version), fileName);
}

}  // namespace setup
