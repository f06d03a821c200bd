#include "platform/path_mapping.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

namespace fs = std::filesystem;

bool entryExists(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

/// The name in `directory` that matches `name` without regard to letter case, lowest in byte order.
std::optional<std::string> findIgnoringCase(const fs::path& directory, std::wstring_view name) {
    std::optional<std::string> best;
    std::error_code error;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string candidate = it->path().filename().string();
        const std::wstring wide = fromUtf8(candidate);
        // A name that is not UTF-8 has no wide spelling to compare with.
        if (toUtf8(wide) != candidate) continue;
        if (!equalIgnoringCase(wide, name)) continue;
        if (!best || candidate < *best) best = std::move(candidate);
    }
    return best;
}

}  // namespace

fs::path mapPath(std::wstring_view path) {
    // The system sees a name only up to its first NUL, as the Windows services do.
    path = path.substr(0, path.find(L'\0'));
    const bool absolute = !path.empty() && isSeparator(path.front());

    // "." and ".." are resolved on the text first, so a missing folder followed by ".." costs nothing.
    std::vector<std::wstring_view> kept;
    for (std::wstring_view part : pathComponents(path)) {
        if (part == L".") continue;
        if (part == L"..") {
            if (!kept.empty() && kept.back() != L"..") {
                kept.pop_back();
            } else if (!absolute) {
                kept.push_back(part);
            }
            continue;
        }
        kept.push_back(part);
    }

    fs::path mapped = absolute ? fs::path("/") : fs::path();
    bool existing = true;
    for (std::wstring_view part : kept) {
        const std::string spelled = toUtf8(part);
        if (existing && part != L"..") {
            if (entryExists(mapped / spelled)) {
                mapped /= spelled;
                continue;
            }
            if (auto match = findIgnoringCase(mapped, part)) {
                mapped /= *match;
                continue;
            }
            existing = false;
        }
        mapped /= spelled;
    }
    // A relative path whose components all cancel out names the current directory.
    if (mapped.empty() && !path.empty()) return fs::path(".");
    return mapped;
}

std::wstring programPath(const fs::path& path) { return fromUtf8(path.string()); }

fs::path windowsDirectory() {
    auto variable = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') return std::nullopt;
        return std::string(value);
    };
    if (auto windir = variable("WINDIR")) return fs::path(*windir);
    if (auto config = variable("XDG_CONFIG_HOME")) return fs::path(*config);
    if (auto home = variable("HOME")) return fs::path(*home) / ".config";
    if (const passwd* account = ::getpwuid(::geteuid());
        account != nullptr && account->pw_dir != nullptr && *account->pw_dir != '\0') {
        return fs::path(account->pw_dir) / ".config";
    }
    throw Failure("ni WINDIR, ni XDG_CONFIG_HOME, ni HOME n'est d\u00E9fini");
}

std::wstring executableDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) throw Failure("impossible de trouver le programme en cours : " + error.message());
    fs::path directory = executable.parent_path();
    if (directory.empty()) directory = "/";
    return programPath(directory);
}

}  // namespace setup
