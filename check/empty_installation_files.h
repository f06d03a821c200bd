#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/read_only_staging.h"
#include "platform/file_services.h"

namespace setup {
class Runtime;
}

namespace setup::check {

/// An installation folder that holds nothing and lies nowhere on the file system: no update folder can
/// hold it or lie in it, and no file system is asked about it.
inline constexpr const wchar_t* kEmptyInstallation = L"<installation>";

/// The update engine's file services with kEmptyInstallation standing in for the installation: what the
/// plan decides on it, every installation would decide. Everything else (the update folder) is read from
/// the file system through the program's own runtime, and nothing is written anywhere.
class EmptyInstallationFiles final : public ReadOnlyStagingFiles {
  public:
    using ReadOnlyStagingFiles::ReadOnlyStagingFiles;

    void holdFolder(const std::wstring& folder) override;
    NodeKind kindOf(const std::wstring& path) override;
    std::wstring spell(const std::wstring& path) override;
    std::wstring realPath(const std::wstring& path) override;
    std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) override;
};

}  // namespace setup::check
