#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/file_services.h"
#include "platform/system_path.h"

namespace setup {

/// True when `path` names an existing folder, or a link to one; never throws.
bool isExistingFolder(const SystemPath& path);

/// Opens the regular file at `path` for reading and closes it again without reading any of it, so that
/// answering whether a file is there costs the same whatever its size. Throws Failure when it cannot be
/// opened for reading or is not a regular file (a folder, a FIFO, a device).
void openAndClose(const SystemPath& path);

/// What is at `path`, a link at its last component never followed: a symbolic link, junction, device or
/// pipe is Other. Never throws.
NodeKind kindNoFollow(const SystemPath& path);

/// `path` made absolute with every link among its existing components resolved; the components that do
/// not exist are appended as given. Never throws; answers `path` made absolute when nothing resolves.
SystemPath realLocation(const SystemPath& path);

/// `path` with each existing component under the name the file system stores it by (`A.TXT` finds an
/// installed `a.txt`); missing components as given. On Linux the path mapping has already done this and
/// the path comes back unchanged. Never throws.
SystemPath spelledAsStored(const SystemPath& path);

/// The size in bytes of the regular file at `path`, a link on the way followed; nullopt when no regular
/// file is there or it cannot be examined. Never throws.
std::optional<std::uint64_t> regularFileSize(const SystemPath& path);

/// True when `name`, one component, is within the system's limit for a name (255 bytes of UTF-8 on
/// Linux, 255 UTF-16 units on Windows).
bool nameFitsSystem(std::wstring_view name);

}  // namespace setup
