#include "check/update_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "registry/path_routines.h"

namespace setup::check {

namespace {

namespace fs = std::filesystem;

/// `relative` below the program folder `folder`, as the program joins them.
fs::path below(std::wstring folder, const std::wstring& relative) {
    return mapPath(WithTrailingBackslash(folder) + relative);
}

/// True when `path`, with every symbolic link on it followed, still lies inside `folder`.
bool resolvesInside(const fs::path& folder, const fs::path& path) {
    std::error_code error;
    const fs::path base = fs::weakly_canonical(folder, error);
    if (error) return false;
    const fs::path target = fs::weakly_canonical(path, error);
    if (error) return false;
    const fs::path relative = target.lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

ShippedFile shippedFileState(const std::wstring& folder, const std::wstring& name) {
    if (!staysInsideBase(name)) return ShippedFile::Outside;
    const fs::path source = below(folder, name);
    if (!resolvesInside(mapPath(folder), source)) return ShippedFile::Outside;
    std::error_code error;
    return fs::is_regular_file(source, error) ? ShippedFile::Present : ShippedFile::Missing;
}

std::vector<std::wstring> filesInFolder(const std::wstring& folder) {
    std::vector<std::wstring> files;
    const fs::path root = mapPath(folder);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        // A folder, or a link to one, holds the files; only they count.
        if (it->is_directory(error)) continue;
        std::wstring relative;
        for (const fs::path& part : it->path().lexically_relative(root)) {
            if (!relative.empty()) relative += L'\\';
            relative += fromUtf8(part.string());
        }
        files.push_back(relative);
    }
    return files;
}

bool hasProgram(const std::wstring& folder) {
    for (const wchar_t* name : kProgramNames) {
        std::error_code error;
        if (fs::is_regular_file(below(folder, name), error)) return true;
    }
    return false;
}

}  // namespace setup::check
