#include "run/product_registry_values.h"

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/system_path.h"
#include "registry/product_registry.h"

namespace setup {

std::optional<std::wstring> ProductRegistryValues::read(const std::wstring& section,
                                                        const std::wstring& key) {
    return readRegistryValue(section, key);
}

void ProductRegistryValues::write(const std::wstring& section, const std::wstring& key,
                                  const std::optional<std::wstring>& value) {
    if (!writeRegistryValue(section, key, value))
        throw Failure("le registre des produits n'a pas pu \u00EAtre \u00E9crit");
}

void ProductRegistryValues::removeTemporary(std::uint64_t process) {
    const std::optional<std::wstring> folder = registryFolder();
    if (!folder) return;
    const SystemPath temporary = folderEntry(mapPath(*folder), replacementTemporaryName(process));
    if (existsNoFollow(temporary)) removeFileEvenReadOnly(temporary);
}

}  // namespace setup
