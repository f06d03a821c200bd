#include "seal/seal_check.h"

#include <exception>
#include <map>
#include <set>
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

std::vector<SealProblem> findProblems(const std::wstring& folder,
                                      const std::vector<std::wstring>& copiedNames, bool stopAtFirst) {
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfPresent(mapPath(inFolder(folder, kSealFileName)));
    } catch (const std::exception&) {
        return {{SealProblemKind::SealUnreadable, std::wstring(kSealFileName), 0}};
    }
    if (!bytes) return {};
    const ParsedSeal seal = parseSeal(*bytes);
    if (seal.malformedLine != 0)
        return {{SealProblemKind::SealMalformed, std::wstring(kSealFileName), seal.malformedLine}};

    std::map<std::wstring, const SealLine*> sealed;
    for (const SealLine& line : seal.lines) sealed.emplace(sealNameKey(line.name), &line);
    std::vector<SealProblem> problems;
    std::set<std::wstring> copied;
    std::vector<std::pair<std::wstring, const SealLine*>> toRead;
    std::vector<SystemPath> paths;
    for (const std::wstring& name : copiedNames) {
        const std::wstring key = sealNameKey(name);
        if (!copied.insert(key).second) continue;
        // The copy refuses such a name itself; nothing outside the folder is read on its behalf.
        if (!resolvesInsideFolder(folder, name, LastLink::Followed)) continue;
        const auto line = sealed.find(key);
        if (line == sealed.end()) {
            problems.push_back({SealProblemKind::NotSealed, name, 0});
            continue;
        }
        SystemPath path = mapPath(inFolder(folder, name));
        if (!existsNoFollow(path)) {
            problems.push_back({SealProblemKind::Missing, name, line->second->line});
            continue;
        }
        toRead.emplace_back(name, line->second);
        paths.push_back(std::move(path));
    }
    for (const SealLine& line : seal.lines) {
        if (!copied.contains(sealNameKey(line.name)))
            problems.push_back({SealProblemKind::NotCopied, line.name, line.line});
    }
    if (stopAtFirst && !problems.empty()) return problems;

    const std::vector<std::optional<Sha256Digest>> digests = digestFiles(paths);
    for (std::size_t i = 0; i < digests.size(); ++i) {
        if (!digests[i])
            problems.push_back({SealProblemKind::Unreadable, toRead[i].first, toRead[i].second->line});
        else if (*digests[i] != toRead[i].second->digest)
            problems.push_back({SealProblemKind::Damaged, toRead[i].first, toRead[i].second->line});
    }
    return problems;
}

}  // namespace

std::vector<SealProblem> sealProblems(const std::wstring& updateFolder,
                                      const std::vector<std::wstring>& copiedNames) {
    return findProblems(updateFolder, copiedNames, false);
}

std::optional<SealProblem> firstSealProblem(const std::wstring& updateFolder,
                                            const std::vector<std::wstring>& copiedNames) {
    std::vector<SealProblem> problems = findProblems(updateFolder, copiedNames, true);
    if (problems.empty()) return std::nullopt;
    return problems.front();
}

}  // namespace setup
