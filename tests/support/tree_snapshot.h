#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

namespace setup::test {

/// Everything below a folder: each relative path ("/" separators) with the file's bytes, "<folder>" for
/// a folder, "<link> target" for a symbolic link, and for a file its mode and owner after the bytes.
using Tree = std::map<std::string, std::string>;

/// The tree below `folder`; empty when there is no such folder.
Tree snapshotTree(const std::filesystem::path& folder);

/// What an update may change: the installation and the folder of the product registry.
struct InstallationState {
    Tree installation;
    Tree windows;
    bool operator==(const InstallationState&) const = default;
};

/// Names and sizes only, so that a failed comparison stays readable.
std::ostream& operator<<(std::ostream& out, const InstallationState& state);

}  // namespace setup::test
