#include "check/update_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/text_codec.h"

namespace setup::check {

namespace {

namespace fs = std::filesystem;

/// `relative` below the program folder `folder`, as the program joins them.
fs::path below(std::wstring folder, const std::wstring& relative) {
    return mapPath(WithTrailingBackslash(folder) + relative);
}

}  // namespace

ShippedFile shippedFileState(const std::wstring& folder, const std::wstring& name) {
    // The copy's own rule: by the text of the name and through every link on the way.
    if (!resolvesInsideFolder(folder, name, LastLink::Followed)) return ShippedFile::Outside;
    const fs::path source = below(folder, name);
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
