#include "seal/seal_check.h"

#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/system_path.h"
#include "seal/file_digests.h"
#include "seal/seal_format.h"

namespace setup {

namespace {

std::wstring inFolder(const std::wstring& folder, std::wstring_view name) {
    return folder + L"\\" + std::wstring(name);
}

/// What the seal names, and the problems found without reading a sealed file.
struct SealReading {
    std::vector<SealProblem> problems;
    std::vector<SealedContent> toRead;
    std::vector<std::size_t> lines;  ///< each file of toRead's line in the seal
    std::vector<SystemPath> paths;   ///< each file of toRead's path
};

SealReading readSeal(const std::wstring& folder, const std::vector<std::wstring>& copiedNames) {
    SealReading reading;
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfPresent(mapPath(inFolder(folder, kSealFileName)));
    } catch (const std::exception&) {
        reading.problems.push_back({SealProblemKind::SealUnreadable, std::wstring(kSealFileName), 0});
        return reading;
    }
    if (!bytes) return reading;
    const ParsedSeal seal = parseSeal(*bytes);
    if (seal.malformedLine != 0) {
        reading.problems.push_back(
            {SealProblemKind::SealMalformed, std::wstring(kSealFileName), seal.malformedLine});
        return reading;
    }

    std::map<std::wstring, const SealLine*> sealed;
    for (const SealLine& line : seal.lines) sealed.emplace(sealNameKey(line.name), &line);
    std::set<std::wstring> copied;
    for (const std::wstring& name : copiedNames) {
        const std::wstring key = sealNameKey(name);
        if (!copied.insert(key).second) continue;
        // The copy refuses such a name itself; nothing outside the folder is read on its behalf.
        if (!resolvesInsideFolder(folder, name, LastLink::Followed)) continue;
        const auto line = sealed.find(key);
        if (line == sealed.end()) {
            reading.problems.push_back({SealProblemKind::NotSealed, name, 0});
            continue;
        }
        SystemPath path = mapPath(inFolder(folder, name));
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (!existsNoFollow(path)) {
            reading.problems.push_back({SealProblemKind::Missing, name, line->second->line});
            continue;
        }
        reading.toRead.push_back({name, line->second->digest, error ? 0 : size});
        reading.lines.push_back(line->second->line);
        reading.paths.push_back(std::move(path));
    }
    for (const SealLine& line : seal.lines) {
        if (!copied.contains(sealNameKey(line.name)))
            reading.problems.push_back({SealProblemKind::NotCopied, line.name, line.line});
    }
    return reading;
}

}  // namespace

std::vector<SealProblem> sealProblems(const std::wstring& updateFolder,
                                      const std::vector<std::wstring>& copiedNames) {
    SealReading reading = readSeal(updateFolder, copiedNames);
    const std::vector<std::optional<Sha256Digest>> digests = digestFiles(reading.paths);
    for (std::size_t i = 0; i < digests.size(); ++i) {
        const SealedContent& file = reading.toRead[i];
        if (!digests[i])
            reading.problems.push_back({SealProblemKind::Unreadable, file.name, reading.lines[i]});
        else if (*digests[i] != file.digest)
            reading.problems.push_back({SealProblemKind::Damaged, file.name, reading.lines[i]});
    }
    return reading.problems;
}

SealedContents sealedContents(const std::wstring& updateFolder,
                              const std::vector<std::wstring>& copiedNames) {
    SealReading reading = readSeal(updateFolder, copiedNames);
    if (!reading.problems.empty()) return {reading.problems.front(), {}};
    return {std::nullopt, std::move(reading.toRead)};
}

}  // namespace setup
