#include "check/empty_installation_files.h"

#include "platform/path_text.h"

namespace setup::check {

namespace {

bool inEmptyInstallation(const std::wstring& path) { return isSameOrInside(path, kEmptyInstallation); }

}  // namespace

void EmptyInstallationFiles::holdFolder(const std::wstring& folder) {
    if (!inEmptyInstallation(folder)) ReadOnlyStagingFiles::holdFolder(folder);
}

NodeKind EmptyInstallationFiles::kindOf(const std::wstring& path) {
    if (!inEmptyInstallation(path)) return ReadOnlyStagingFiles::kindOf(path);
    return withoutTrailingSeparators(path) == kEmptyInstallation ? NodeKind::Folder : NodeKind::Missing;
}

std::wstring EmptyInstallationFiles::spell(const std::wstring& path) {
    // Nothing below the installation exists, so every name is spelled as given.
    return inEmptyInstallation(path) ? path : ReadOnlyStagingFiles::spell(path);
}

std::wstring EmptyInstallationFiles::realPath(const std::wstring& path) {
    return inEmptyInstallation(path) ? path : ReadOnlyStagingFiles::realPath(path);
}

std::optional<std::string> EmptyInstallationFiles::readFile(const std::wstring& path, std::size_t limit) {
    if (inEmptyInstallation(path)) return std::nullopt;
    return ReadOnlyStagingFiles::readFile(path, limit);
}

}  // namespace setup::check
