#include "registry/product_registry.h"

#include <exception>
#include <string>

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/system_path.h"
#include "platform/text_codec.h"
#include "registry/profile_format.h"
#include "registry/profile_service.h"

namespace setup {

namespace {

constexpr std::size_t kReadBufferSize = 255;

/// Where the product registry lives, by the rule of every read and write.
SystemPath registryPlace() {
    const auto path = profileFilePath(toAnsi(kRegistryReadName));
    if (!path) throw Failure("le registre des produits n'a pas d'emplacement");
    return *path;
}

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

bool writeVersion(const std::wstring& section, const std::wstring& version) {
    // Where names keep their case, the two spellings can find two files; the stamp goes to the file the
    // checks read, and the write's spelling only names a registry that does not exist yet.
    return writeRegistryValue(section, L"Version", version);
}

std::optional<std::wstring> readRegistryValue(const std::wstring& section, const std::wstring& key) {
    const std::optional<std::string> content = readRegistryBytes();
    if (!content) return std::nullopt;
    const std::optional<std::string> value = findProfileValue(*content, toAnsi(section), toAnsi(key));
    if (!value) return std::nullopt;
    return fromAnsi(*value);
}

bool writeRegistryValue(const std::wstring& section, const std::wstring& key,
                        const std::optional<std::wstring>& value) {
    if (value) {
        const std::string readName = toAnsi(kRegistryReadName);
        const std::string fileName = profileFileExists(readName) ? readName : toAnsi(kRegistryWriteName);
        return writePrivateProfileString(toAnsi(section), toAnsi(key), toAnsi(*value), fileName);
    }
    try {
        const std::optional<std::string> content = readRegistryBytes();
        if (!content) return true;
        const std::string without = withoutProfileValue(*content, toAnsi(section), toAnsi(key));
        if (without != *content) replaceFileAtomically(registryPlace(), without);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<std::string> readRegistryBytes() { return readFileIfPresent(registryPlace()); }

std::optional<std::wstring> registryFolder() {
    const auto path = profileFilePath(toAnsi(kRegistryReadName));
    if (!path) return std::nullopt;
    return programPath(parentFolder(*path));
}

}  // namespace setup
