#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/path_mapping.h"

namespace setup {

namespace {

namespace fs = std::filesystem;

/// True when `inner` is `outer` or lies below it, comparing whole components.
bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto part = inner.begin();
    for (const fs::path& component : outer) {
        if (component.empty()) continue;  // the empty name after a trailing separator
        if (part == inner.end() || *part != component) return false;
        ++part;
    }
    return true;
}

}  // namespace

bool resolvesInsideFolder(std::wstring_view base, std::wstring_view relative, LastLink last) {
    if (!staysInsideBase(relative)) return false;
    try {
        std::error_code error;
        const fs::path root = fs::canonical(mapPath(base), error);
        if (error) return false;
        std::wstring joined(base);
        joined += L'\\';
        joined += relative;
        fs::path target = mapPath(joined);
        // A link as the last component is removed itself, never followed, so only its folder counts.
        if (last == LastLink::Kept && target.has_parent_path() && target != mapPath(base)) {
            target = target.parent_path();
        }
        // Every link of the part that exists is followed; the rest cannot lead anywhere yet.
        const fs::path resolved = fs::weakly_canonical(target, error);
        return !error && isWithin(resolved, root);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
