#pragma once

#include <optional>
#include <string>

namespace setup {

/// Name under which the product registry is read, and the spelling under which it is written.
inline constexpr const wchar_t* kRegistryReadName = L"Tamreg.reg";
inline constexpr const wchar_t* kRegistryWriteName = L"TamReg.reg";
/// The product whose section is used when an entry names none.
inline constexpr const wchar_t* kDefaultProduct = L"Kelvane";

/// The value of `key` in `section` of the profile file `fileName`, at most 254 characters, without
/// trailing spaces; empty when there is none.
std::wstring ReadProfileValue(std::wstring fileName, std::wstring section, std::wstring key);

/// Records `version` as the "Version" of `section` in the product registry: in the file that
/// ReadProfileValue finds under kRegistryReadName, or a new one spelled kRegistryWriteName. False when it
/// could not be written (the registry then stays as it was).
bool writeVersion(const std::wstring& section, const std::wstring& version);

/// The value of `key` in `section` of the product registry, as the profile layer reads it, not cut;
/// nullopt when the registry, the section or the key is missing. Throws Failure when the registry exists
/// but cannot be read.
std::optional<std::wstring> readRegistryValue(const std::wstring& section, const std::wstring& key);

/// Stores `value` under `key` in `section` of the product registry (in the file the reads find, or a new
/// one spelled kRegistryWriteName), or removes the key for nullopt; atomically. False when it could not
/// be written (the registry then stays as it was).
bool writeRegistryValue(const std::wstring& section, const std::wstring& key,
                        const std::optional<std::wstring>& value);

/// The product registry's bytes, so that an update can put them back; nullopt when there is no registry.
/// Throws Failure when it exists but cannot be read.
std::optional<std::string> readRegistryBytes();

/// The folder that holds the product registry, as a program path; nullopt when it has no place.
std::optional<std::wstring> registryFolder();

}  // namespace setup
