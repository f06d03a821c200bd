#include "run/staged_update.h"

#include <algorithm>
#include <cwctype>
#include <exception>
#include <filesystem>

#include "platform/failure.h"
#include "platform/installation_lock.h"
#include "platform/path_mapping.h"
#include "platform/runtime.h"
#include "platform/text_codec.h"
#include "registry/product_registry.h"

namespace setup {

namespace {

constexpr const wchar_t* kTemporaryPrefix = L".setup-";
constexpr std::size_t kTemporaryNameLength = 13;  // ".setup-" and six characters

bool endsWith(const std::wstring& text, const std::wstring& suffix) {
    return text.size() > suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::wstring join(const std::wstring& root, const std::wstring& relative) { return root + L"\\" + relative; }

std::wstring parentOf(const std::wstring& path) {
    const auto last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring(L".") : path.substr(0, std::max<std::size_t>(last, 1));
}

std::wstring nameOf(const std::wstring& path) {
    const auto last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

template <typename Step>
void ignoringFailure(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

/// The folders that hold the journal's files, each once, the installation's top included; a folder that
/// an undo has removed again is left out.
std::vector<std::wstring> foldersOf(Runtime& runtime, const std::wstring& root, const Journal& journal) {
    std::vector<std::wstring> folders{root};
    for (const JournalFile& file : journal.files) {
        folders.push_back(parentOf(join(root, file.relative)));
        folders.push_back(parentOf(join(root, file.staged)));
    }
    for (const std::wstring& folder : journal.folders) folders.push_back(parentOf(join(root, folder)));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    std::erase_if(folders, [&](const std::wstring& folder) { return !runtime.exists(folder); });
    return folders;
}

/// Removes the folders the update created, deepest first, as far as they are empty.
void removeCreatedFolders(Runtime& runtime, const std::wstring& root,
                          const std::vector<std::wstring>& folders) {
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        const std::wstring path = join(root, *folder);
        if (runtime.exists(path)) ignoringFailure([&] { runtime.removeFolder(path); });
    }
}

/// Puts back every file of `journal` below `root` and the registry's bytes, and makes that durable before
/// the journal may go. Each step looks at what is there, so running it again after an interruption is
/// safe. Throws Failure when a file cannot be put back.
void rollBack(Runtime& runtime, const std::wstring& root, const Journal& journal,
              const std::optional<std::string>& registry) {
    for (auto file = journal.files.rbegin(); file != journal.files.rend(); ++file) {
        const std::wstring target = join(root, file->relative);
        const std::wstring staged = join(root, file->staged);
        const std::wstring aside = target + kAsideSuffix;
        if (file->replacing) {
            if (runtime.exists(aside)) runtime.renameFile(aside, target);
        } else if (!runtime.exists(staged) && runtime.exists(target)) {
            // A new file whose staged copy is gone was renamed into place: it goes.
            runtime.removeOwnFile(target);
        }
        if (runtime.exists(staged)) runtime.removeOwnFile(staged);
    }
    removeCreatedFolders(runtime, root, journal.folders);
    if (registry && readRegistryBytes() != registry) restoreRegistryBytes(*registry);
    runtime.flushFolders(foldersOf(runtime, root, journal));
}

/// Removes what is left of the program's own files below `root` and beside the registry. A moved-aside
/// file whose target is missing is the only copy of an installed file: it is put back, never removed.
void removeLeftovers(Runtime& runtime, const std::wstring& root) {
    for (const std::wstring& path : runtime.findFiles(root, true, isOwnFileName)) {
        if (endsWith(path, kAsideSuffix)) {
            const std::wstring target = path.substr(0, path.size() - std::wstring(kAsideSuffix).size());
            if (!runtime.exists(target)) {
                ignoringFailure([&] { runtime.renameFile(path, target); });
                continue;
            }
        }
        ignoringFailure([&] { runtime.removeOwnFile(path); });
    }
    if (const std::optional<std::wstring> folder = registryFolder()) {
        const auto isTemporary = [](const std::wstring& name) {
            return name.size() == kTemporaryNameLength && name.rfind(kTemporaryPrefix, 0) == 0;
        };
        for (const std::wstring& path : runtime.findFiles(*folder, false, isTemporary)) {
            ignoringFailure([&] { runtime.removeOwnFile(path); });
        }
    }
}

/// `path` below `root`, with "/" between folders; empty for the root itself. Throws Failure for a path
/// outside it.
std::wstring relativeTo(const std::wstring& root, const std::wstring& path) {
    if (path.compare(0, root.size(), root) != 0 ||
        (path.size() > root.size() && root.size() > 1 && !isSeparator(path[root.size()]))) {
        throw Failure("file entry outside the installation");
    }
    std::wstring inside = path.substr(root.size());
    inside.erase(0, inside.find_first_not_of(L"\\/"));
    std::replace(inside.begin(), inside.end(), L'\\', L'/');
    return inside;
}

std::wstring withoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && isSeparator(path.back())) path.pop_back();
    return path;
}

/// A relative path without "." folders and in small letters, to tell which staged copy a file system that
/// ignores letter case has found under another spelling.
std::wstring sameFileKey(const std::wstring& relative) {
    std::wstring key = std::filesystem::path(relative).lexically_normal().generic_wstring();
    std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towlower(c); });
    return key;
}

}  // namespace

bool isOwnFileName(const std::wstring& name) {
    if (name == kJournalName || name == kSavedRegistryName) return true;
    if (endsWith(name, kStagedSuffix) || endsWith(name, kAsideSuffix)) return true;
    return name.size() == kTemporaryNameLength && name.rfind(kTemporaryPrefix, 0) == 0;
}

void StagedUpdate::stage(Runtime& runtime, const std::wstring& installDir, const std::wstring& source,
                         const std::wstring& relative) {
    if (m_phase != Phase::Staging) throw Failure("the update is already committed");
    if (m_root.empty()) m_root = withoutTrailingSeparators(runtime.resolvePath(installDir));
    if (relative.find_first_of(L"\t\r\n") != std::wstring::npos)
        throw Failure("file entry with a tab or line end");
    // The target is named as the file system spells it, so a replaced file keeps its name exactly.
    const std::wstring target = runtime.resolvePath(installDir + relative);
    const std::wstring inside = relativeTo(m_root, target);
    if (inside.empty()) throw Failure("file entry naming the installation itself");
    if (isOwnFileName(nameOf(inside)))
        throw Failure("file entry with a name kept for the program's own files");
    // A file put over the lock file would let the next run in while this one still holds the old file.
    if (equalIgnoringCase(inside, kInstallationLockName))
        throw Failure("file entry naming the installation's lock");

    if (const auto known = m_index.find(inside); known != m_index.end()) {
        // The same file named twice: its staged copy is made again from the later entry.
        runtime.stageCopy(source, target, join(m_root, m_files[known->second].staged));
        return;
    }
    // A file not installed yet is known by its first entry's spelling alone. Where the file system takes
    // names without regard to letter case or "." folders, a later entry that names the same file
    // otherwise already finds a staged copy, which is that file's: it is made again from the later entry,
    // as for the same name twice.
    if (const std::wstring stagedHere = target + kStagedSuffix; runtime.exists(stagedHere)) {
        const std::wstring stagedAs = sameFileKey(relativeTo(m_root, runtime.resolvePath(stagedHere)));
        const auto known = std::find_if(m_files.begin(), m_files.end(), [&](const JournalFile& file) {
            return sameFileKey(file.staged) == stagedAs;
        });
        if (known != m_files.end()) {
            runtime.stageCopy(source, target, join(m_root, known->staged));
            return;
        }
    }
    // Folders the target needs are made by the commit, so nothing in the installation changes before it;
    // until then the copy waits in the deepest folder that exists, on the same file system.
    std::vector<std::wstring> missing;
    std::wstring existing = parentOf(target);
    while (existing.size() > m_root.size() && !runtime.exists(existing)) {
        missing.push_back(relativeTo(m_root, existing));
        existing = parentOf(existing);
    }
    const std::wstring staged = missing.empty() ? target + kStagedSuffix
                                                : existing + L"\\" + kTemporaryPrefix +
                                                      std::to_wstring(m_files.size()) + kStagedSuffix;
    const bool replacing = runtime.exists(target);
    runtime.stageCopy(source, target, staged);
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (std::find(m_folders.begin(), m_folders.end(), *folder) == m_folders.end())
            m_folders.push_back(*folder);
    }
    m_index.emplace(inside, m_files.size());
    m_files.push_back({inside, relativeTo(m_root, runtime.resolvePath(staged)), replacing});
}

void StagedUpdate::commit(Runtime& runtime, const std::wstring& installDir) {
    if (m_phase != Phase::Staging) return;
    m_phase = Phase::Committing;
    if (m_root.empty()) m_root = withoutTrailingSeparators(runtime.resolvePath(installDir));

    m_registry = readRegistryBytes();
    if (m_files.empty()) {
        // Nothing to put in place: the saved registry in memory is enough to undo a refused stamp.
        m_phase = Phase::Done;
        return;
    }
    Journal journal{m_folders, m_files, false};
    std::vector<std::wstring> written;
    for (const JournalFile& file : m_files) written.push_back(join(m_root, file.staged));
    if (m_registry) {
        written.push_back(join(m_root, kSavedRegistryName));
        runtime.writeFile(written.back(), *m_registry);
        journal.registrySaved = true;
    }
    written.push_back(join(m_root, kJournalName));
    runtime.writeFile(written.back(), formatJournal(journal));
    // One flush for every staged byte, the saved registry and the journal; then the journal's folder, so
    // the journal is on disk before the first installed file moves.
    runtime.flushFiles(written);
    runtime.flushFolders({m_root});

    for (const std::wstring& folder : m_folders) runtime.createFolder(join(m_root, folder));
    for (const JournalFile& file : m_files) {
        const std::wstring target = join(m_root, file.relative);
        if (file.replacing) runtime.renameFile(target, target + kAsideSuffix);
        runtime.renameFile(join(m_root, file.staged), target);
    }
    runtime.flushFolders(foldersOf(runtime, m_root, journal));
    m_phase = Phase::Done;
}

void StagedUpdate::finish(Runtime& runtime) {
    if (m_phase != Phase::Done && m_phase != Phase::Committing) return;
    const Phase phase = m_phase;
    m_phase = Phase::Finished;
    if (phase != Phase::Done || m_files.empty()) return;
    // The journal goes first and durably: while it exists, the moved-aside files are what a recovery
    // puts back.
    try {
        runtime.removeOwnFile(join(m_root, kJournalName));
        runtime.flushFolders({m_root});
    } catch (const std::exception&) {
        return;
    }
    for (const JournalFile& file : m_files) {
        if (file.replacing)
            ignoringFailure([&] { runtime.removeOwnFile(join(m_root, file.relative) + kAsideSuffix); });
    }
    if (m_registry) ignoringFailure([&] { runtime.removeOwnFile(join(m_root, kSavedRegistryName)); });
}

void StagedUpdate::undo(Runtime& runtime) {
    if (m_phase == Phase::Finished || m_root.empty()) return;
    if (m_phase == Phase::Staging) {
        for (const JournalFile& file : m_files) {
            ignoringFailure([&] { runtime.removeOwnFile(join(m_root, file.staged)); });
        }
        m_folders.clear();
        m_files.clear();
        m_index.clear();
        return;
    }
    try {
        rollBack(runtime, m_root, Journal{m_folders, m_files, m_registry.has_value()}, m_registry);
    } catch (const std::exception&) {
        return;  // the journal stays: the next start puts back what could not be put back now
    }
    m_phase = Phase::Finished;
    const std::wstring journal = join(m_root, kJournalName);
    if (runtime.exists(journal)) ignoringFailure([&] { runtime.removeOwnFile(journal); });
    const std::wstring saved = join(m_root, kSavedRegistryName);
    if (runtime.exists(saved)) ignoringFailure([&] { runtime.removeOwnFile(saved); });
}

bool recoverInterruptedUpdate(Runtime& runtime, const std::wstring& installDir) {
    const std::wstring root = withoutTrailingSeparators(runtime.resolvePath(installDir));
    const std::wstring journalPath = join(root, kJournalName);
    bool recovered = false;
    if (const std::optional<std::string> text = runtime.readFile(journalPath)) {
        // A journal cut short was being written when the run stopped: no installed file had moved yet.
        if (const std::optional<Journal> journal = parseJournal(*text)) {
            std::optional<std::string> registry;
            if (journal->registrySaved) registry = runtime.readFile(join(root, kSavedRegistryName));
            rollBack(runtime, root, *journal, registry);
            recovered = true;
        }
        runtime.removeOwnFile(journalPath);
        runtime.flushFolders({root});
    }
    removeLeftovers(runtime, root);
    return recovered;
}

}  // namespace setup
