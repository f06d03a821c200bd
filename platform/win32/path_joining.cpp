#include "platform/path_mapping.h"
#include "platform/system_path.h"

namespace setup {

namespace {

/// True for "X:", a drive named alone: a name joined to it lies in that drive's current folder.
bool isDriveAlone(const SystemPath& path) { return path.size() == 2 && path[1] == L':'; }

}  // namespace

SystemPath parentFolder(const SystemPath& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == SystemPath::npos) return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L"";
    std::size_t end = last;
    while (end > 0 && isSeparator(path[end - 1])) --end;
    // "\name" lies in "\", "C:\name" in "C:\".
    if (end == 0 || (end == 2 && path[1] == L':')) return path.substr(0, end + 1);
    return path.substr(0, end);
}

SystemPath folderEntry(const SystemPath& folder, std::wstring_view name) {
    SystemPath joined = folder;
    if (!joined.empty() && !isSeparator(joined.back()) && !isDriveAlone(joined)) joined += L'\\';
    joined += name;
    return joined;
}

}  // namespace setup
