#include "registry/profile_service.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "registry/profile_format.h"

namespace setup {

namespace {

/// Where the profile file `fileName` lives; nullopt for a name no file can have.
std::optional<SystemPath> profilePath(std::string_view fileName) {
    if (fileName.empty() || fileName.find('\0') != std::string_view::npos) return std::nullopt;
    const std::wstring name = fromAnsi(fileName);
    if (name.find_first_of(L"\\/") != std::wstring::npos) return mapPath(name);
    // A bare name lives in the Windows directory.
    return mapPath(programPath(windowsDirectory()) + L"\\" + name);
}

}  // namespace

std::size_t getPrivateProfileString(std::string_view section, std::string_view key, char* buffer,
                                    std::size_t size, std::string_view fileName) {
    if (buffer == nullptr || size == 0) return 0;
    buffer[0] = '\0';
    try {
        const std::optional<SystemPath> path = profilePath(fileName);
        if (!path) return 0;
        const std::optional<std::string> value = findProfileValue(readWholeFile(*path), section, key);
        if (!value) return 0;
        const std::size_t count = std::min(value->size(), size - 1);
        std::memcpy(buffer, value->data(), count);
        buffer[count] = '\0';
        return count;
    } catch (const std::exception&) {
        buffer[0] = '\0';
        return 0;
    }
}

bool profileFileExists(std::string_view fileName) {
    const std::optional<SystemPath> path = profileFilePath(fileName);
    return path && existsNoFollow(*path);
}

std::optional<SystemPath> profileFilePath(std::string_view fileName) {
    try {
        return profilePath(fileName);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool writePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName) {
    try {
        const std::optional<SystemPath> path = profilePath(fileName);
        if (!path) return false;
        // A file that exists but cannot be read makes the write fail: replacing it would lose the other
        // products' sections.
        const std::string content = readFileIfPresent(*path).value_or(std::string());
        replaceFileAtomically(*path, withProfileValue(content, section, key, value));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
