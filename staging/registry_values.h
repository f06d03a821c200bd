#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace setup {

/// The product registry's values as the update engine reads and writes them, one at a time.
class RegistryValues {
  public:
    virtual ~RegistryValues() = default;
    /// The value of `key` in `section`; nullopt when the key is absent. Throws Failure when the registry
    /// cannot be read.
    virtual std::optional<std::wstring> read(const std::wstring& section, const std::wstring& key) = 0;
    /// Stores `value` under `key` in `section`, or removes the key for nullopt, durably and in one step.
    /// Throws Failure; the registry then stays as it was.
    virtual void write(const std::wstring& section, const std::wstring& key,
                       const std::optional<std::wstring>& value) = 0;
    /// Removes the temporary file through which process `process` was writing the registry when it
    /// stopped, if one is there. Throws Failure.
    virtual void removeTemporary(std::uint64_t process) = 0;
};

}  // namespace setup
