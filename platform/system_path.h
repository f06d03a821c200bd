#pragma once

#include <string_view>

// Each system's folder defines SystemPath in its own system_path_type.h; the build puts that folder, and
// only that one, on the include path.
#include "system_path_type.h"

namespace setup {

/// The folder that holds `path`: `path` without its last name and the separators before it; a root keeps
/// its own separator.
SystemPath parentFolder(const SystemPath& path);

/// The entry `name` (one component) of the folder `folder`.
SystemPath folderEntry(const SystemPath& folder, std::wstring_view name);

}  // namespace setup
