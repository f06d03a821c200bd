#pragma once

#include "platform/system_path.h"

namespace setup {

/// True when `directory` is a folder in which the running user may create, rename and remove files;
/// false when it is no folder, does not exist or access is denied. Changes nothing; never throws.
bool canWriteInDirectory(const SystemPath& directory);

}  // namespace setup
