#include "platform/system_path.h"
#include "platform/text_codec.h"

namespace setup {

SystemPath parentFolder(const SystemPath& path) { return path.parent_path(); }

// The path mapping spells every name it hands the system in UTF-8.
SystemPath folderEntry(const SystemPath& folder, std::wstring_view name) { return folder / toUtf8(name); }

}  // namespace setup
