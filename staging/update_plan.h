#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_digest.h"
#include "platform/program_files.h"

namespace setup {

class FileServices;

/// True for a name the program keeps for its own files in an installation.
bool isOwnFileName(const std::wstring& name);

/// One file of the installation the update writes.
struct PlannedFile {
    std::wstring source;     ///< the update's file it is copied from (the last entry that names it)
    std::wstring relative;   ///< below the installation, "/" between components, as the file system spells it
    bool replacing = false;  ///< an installed file is moved aside for it; false when it is new
    bool operator==(const PlannedFile&) const = default;
};

/// What a file of the update must hold, as its seal or its signature vouches: the copy compares the bytes it
/// stages with it.
struct ExpectedContent {
    std::wstring name;  ///< the file as the list names it, for the person told it differs
    Sha256Digest digest{};
    std::uint64_t limit = 0;  ///< the most bytes it may hold
    bool operator==(const ExpectedContent&) const = default;
};

/// A version the update records once its files are in place.
struct PlannedStamp {
    std::wstring section;
    std::wstring version;
    bool operator==(const PlannedStamp&) const = default;
};

/// Why the plan refuses the whole update.
enum class RefusalReason {
    OutsideUpdateFolder,       ///< the entry leads out of the update folder, by its text or through a link
    OutsideInstallation,       ///< the entry leads out of the installation, by its text or through a link
    InstallationItself,        ///< the entry names the installation folder itself
    NotAFile,                  ///< a folder, a link or a device stands where the file goes, or on its way
    OwnFileName,               ///< the name is one the program keeps for its own files
    ControlCharacter,          ///< a tab or line end in a name or a version, which the journal cannot hold
    NameTooLong,               ///< the staged or moved-aside name would pass the system's limit for a name
    UpdateInsideInstallation,  ///< the update folder and the installation hold one another
};

/// A refusal and the entry it is about (empty for the update folder as a whole).
struct PlanRefusal {
    std::wstring entry;
    RefusalReason reason;
    bool operator==(const PlanRefusal&) const = default;
};

/// Everything an update will touch, decided once before anything is staged.
struct UpdatePlan {
    std::wstring root;  ///< the installation, as the file system spells it, without a trailing separator
    std::vector<PlannedFile> files;  ///< each target once, in the order its first entry names it
    /// For each file entry of the list, in order: the index of its file in `files`.
    std::vector<std::size_t> entryFiles;
    /// For each file entry of the list, in order: the update's file it names.
    std::vector<std::wstring> entrySources;
    /// For each file entry of the list, in order, when the update is sealed: what its file must hold.
    /// Empty for an update without a seal.
    std::vector<std::optional<ExpectedContent>> entryContents;
    std::vector<std::wstring> folders;  ///< folders to create below the installation, parents first
    std::vector<PlannedStamp> stamps;
    /// The installation's trust file as the commit writes it, when the update is signed.
    std::optional<std::string> trust;
    bool trustReplacing = false;  ///< a trust file is there, which the commit moves aside
    std::vector<PlanRefusal> refusals;

    /// True when the update may go ahead.
    bool accepted() const { return refusals.empty(); }
    /// True when the update folder must be kept: its cleanup would delete installed files.
    bool keepsUpdateFolder() const;
};

/// What the plan is made from: the list's file entries as the copy reads them, the versions it stamps.
struct PlanInput {
    std::wstring updateFolder;  ///< where the update's files are
    std::wstring installDir;    ///< the installation folder
    std::vector<std::wstring> fileEntries;
    std::vector<PlannedStamp> stamps;
};

/// Looks at the installation and the update folder once and decides every file, folder and value the
/// update will touch, or why it refuses. Changes nothing.
UpdatePlan makeUpdatePlan(FileServices& files, const PlanInput& input);

/// Adds to `plan` the installation's trust file `text`, which the commit writes with the files; refuses
/// the update when something that is no file stands at its name.
void planTrustFile(FileServices& files, UpdatePlan& plan, std::string text);

}  // namespace setup
