#pragma once

#include "staging/registry_values.h"

namespace setup {

/// The product registry's values, read and written through the profile layer.
class ProductRegistryValues final : public RegistryValues {
  public:
    std::optional<std::wstring> read(const std::wstring& section, const std::wstring& key) override;
    void write(const std::wstring& section, const std::wstring& key,
               const std::optional<std::wstring>& value) override;
    void removeTemporary(std::uint64_t process) override;
};

}  // namespace setup
