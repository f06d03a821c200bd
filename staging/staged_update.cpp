#include "staging/staged_update.h"

#include <algorithm>
#include <exception>
#include <map>
#include <random>

#include "platform/file_io.h"
#include "platform/path_text.h"
#include "platform/quoting.h"

namespace setup {

namespace {

void tell(const EngineLog& log, const std::wstring& event) {
    if (log) log(event);
}

std::wstring newRunId() {
    std::random_device device;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::wstring id;
    for (int i = 0; i < 16; ++i) id += L"0123456789abcdef"[digit(device)];
    return id;
}

std::wstring stagedPath(const std::wstring& root, const JournalFile& file) {
    return joinPath(root, file.relative + kStagedSuffix);
}

std::wstring asidePath(const std::wstring& root, const JournalFile& file) {
    return joinPath(root, file.relative + kAsideSuffix);
}

/// The folders whose entries a journal's files and folders change, the installation's top included, as
/// far as they exist.
std::vector<std::wstring> touchedFolders(FileServices& files, const std::wstring& root,
                                         const Journal& journal) {
    std::vector<std::wstring> relatives{L""};
    for (const JournalFile& file : journal.files) relatives.push_back(parentRelative(file.relative));
    for (const std::wstring& folder : journal.folders) relatives.push_back(parentRelative(folder));
    std::sort(relatives.begin(), relatives.end());
    relatives.erase(std::unique(relatives.begin(), relatives.end()), relatives.end());
    std::vector<std::wstring> folders;
    for (const std::wstring& relative : relatives) {
        const std::wstring path = joinPath(root, relative);
        if (files.kindOf(path) == NodeKind::Folder) folders.push_back(path);
    }
    return folders;
}

/// Puts back everything `journal` names below `root` and in the registry, and makes it durable. Each
/// step looks at what is there, so running it again after an interruption is safe. Throws Failure when
/// a file cannot be put back.
void rollBack(FileServices& files, RegistryValues& registry, const std::wstring& root,
              const Journal& journal) {
    for (auto file = journal.files.rbegin(); file != journal.files.rend(); ++file) {
        const std::wstring target = joinPath(root, file->relative);
        const std::wstring staged = stagedPath(root, *file);
        const bool stagedThere = files.kindOf(staged) == NodeKind::File;
        if (file->replacing) {
            if (files.kindOf(asidePath(root, *file)) == NodeKind::File)
                files.rename(asidePath(root, *file), target);
        } else if (!stagedThere && files.kindOf(target) == NodeKind::File) {
            // A new file whose staged copy is gone was renamed into place: it goes.
            files.removeFile(target);
        }
        if (stagedThere) files.removeFile(staged);
    }
    for (auto folder = journal.folders.rbegin(); folder != journal.folders.rend(); ++folder) {
        const std::wstring path = joinPath(root, *folder);
        // A folder that holds something it did not get from the update is left as it is.
        if (files.kindOf(path) == NodeKind::Folder) ignoringFailure([&] { files.removeFolder(path); });
    }
    for (const JournalValue& value : journal.values) {
        if (registry.read(value.section, value.key) != value.before)
            registry.write(value.section, value.key, value.before);
    }
    files.flushFolders(touchedFolders(files, root, journal));
}

/// Removes what a final update left behind: the files moved aside and any staged copy.
void rollForward(FileServices& files, const std::wstring& root, const Journal& journal) {
    for (const JournalFile& file : journal.files) {
        for (const std::wstring& own : {stagedPath(root, file), asidePath(root, file)}) {
            if (files.kindOf(own) == NodeKind::File) files.removeFile(own);
        }
    }
    files.flushFolders(touchedFolders(files, root, journal));
}

/// Throws RejectedJournal unless every path `journal` names lies inside the installation once links are
/// resolved, with no folder where it expects a file.
void checkPlaces(FileServices& files, const std::wstring& root, const std::wstring& journalPath,
                 const Journal& journal) {
    const std::wstring rootReal = files.realPath(root);
    // Each folder is resolved once, however many of the journal's files lie in it.
    std::map<std::wstring, bool> known;
    auto inside = [&](const std::wstring& relative) {
        auto found = known.find(relative);
        if (found == known.end())
            found =
                known.emplace(relative, isSameOrInside(files.realPath(joinPath(root, relative)), rootReal))
                    .first;
        return found->second;
    };
    for (const std::wstring& folder : journal.folders) {
        if (!inside(parentRelative(folder)) || !inside(folder))
            throw RejectedJournal(journalPath, L"un dossier hors de l'installation : " + folder);
        if (files.kindOf(joinPath(root, folder)) == NodeKind::Other)
            throw RejectedJournal(journalPath,
                                  L"un lien \u00E0 la place d'un dossier cr\u00E9\u00E9 : " + folder);
    }
    for (const JournalFile& file : journal.files) {
        if (!inside(parentRelative(file.relative)))
            throw RejectedJournal(journalPath, L"un fichier hors de l'installation : " + file.relative);
        for (const std::wstring& path :
             {joinPath(root, file.relative), stagedPath(root, file), asidePath(root, file)}) {
            const NodeKind kind = files.kindOf(path);
            if (kind == NodeKind::Folder || kind == NodeKind::Other)
                throw RejectedJournal(journalPath,
                                      L"pas de fichier l\u00E0 o\u00F9 le journal en nomme un : " + path);
        }
    }
}

}  // namespace

StagedUpdate::StagedUpdate(FileServices& files, RegistryValues& registry, UpdatePlan plan, EngineLog log,
                           StagedNote staged)
    : m_files(files),
      m_registry(registry),
      m_plan(std::move(plan)),
      m_log(std::move(log)),
      m_staged(std::move(staged)) {}

void StagedUpdate::begin() {
    if (m_phase != Phase::Planned) throw Failure("la mise \u00E0 jour a d\u00E9j\u00E0 commenc\u00E9");
    m_journal.runId = newRunId();
    m_journal.process = currentProcessId();
    m_journal.folders = m_plan.folders;
    for (const PlannedFile& file : m_plan.files) m_journal.files.push_back({file.relative, file.replacing});
    if (m_plan.trust) m_journal.files.push_back({kTrustName, m_plan.trustReplacing});
    for (const PlannedStamp& stamp : m_plan.stamps) {
        const bool known =
            std::any_of(m_journal.values.begin(), m_journal.values.end(),
                        [&](const JournalValue& value) { return value.section == stamp.section; });
        if (!known)
            m_journal.values.push_back(
                {stamp.section, kVersionKey, m_registry.read(stamp.section, kVersionKey)});
    }
    // From here an undo removes whatever part of the journal was written.
    m_phase = Phase::Staging;
    const std::wstring path = joinPath(m_plan.root, kJournalName);
    m_files.writeFile(path, formatJournal(m_journal));
    m_files.flushFiles({path});
    m_files.flushFolders({m_plan.root});
    tell(m_log, L"Journal " + path + L" (ex\u00E9cution " + m_journal.runId + L")");
}

void StagedUpdate::stage(std::size_t index) { stageFrom(index, m_plan.files.at(index).source, nullptr); }

void StagedUpdate::stageEntry(std::size_t entry) {
    const ExpectedContent* expected = nullptr;
    if (entry < m_plan.entryContents.size() && m_plan.entryContents[entry])
        expected = &*m_plan.entryContents[entry];
    stageFrom(m_plan.entryFiles.at(entry), m_plan.entrySources.at(entry), expected);
}

void StagedUpdate::stageFrom(std::size_t index, const std::wstring& source, const ExpectedContent* expected) {
    if (m_phase != Phase::Staging) throw Failure("la mise \u00E0 jour n'en est pas \u00E0 la copie");
    const PlannedFile& file = m_plan.files.at(index);
    // The folders a file needs are made just before it, parents first, so a copy never waits elsewhere.
    for (const std::wstring& folder : m_plan.folders) {
        if (m_createdFolders.count(folder) || !isSameOrInside(file.relative, folder)) continue;
        m_files.createFolder(joinPath(m_plan.root, folder));
        m_createdFolders.insert(folder);
    }
    const std::wstring target = joinPath(m_plan.root, file.relative);
    // What is compared is what was staged: a file rewritten in the update folder meanwhile cannot slip in.
    CopyCheck check;
    if (expected) check.limit = expected->limit;
    const std::uint64_t bytes =
        m_files.copyFile(source, target, target + kStagedSuffix, expected ? &check : nullptr);
    if (expected && (bytes > expected->limit || check.digest != expected->digest)) {
        tell(m_log, L"Fichier pr\u00E9par\u00E9 diff\u00E9rent de son sceau : " + expected->name +
                        (bytes > expected->limit ? L" (plus grand que sa taille)" : L""));
        throw StagedFileDiffers(expected->name);
    }
    if (m_staged) m_staged(source, target, bytes);
}

void StagedUpdate::commit() {
    if (final()) return;
    if (m_phase != Phase::Staging) throw Failure("la mise \u00E0 jour n'en est pas \u00E0 la copie");
    // The trust file is staged like the files, so the same renames put it in place and the same undo
    // takes it back: the installation never trusts a key whose update is not there.
    if (m_plan.trust) m_files.writeFile(stagedPath(m_plan.root, m_journal.files.back()), *m_plan.trust);
    std::vector<std::wstring> staged;
    for (const JournalFile& file : m_journal.files) staged.push_back(stagedPath(m_plan.root, file));
    m_files.flushFiles(staged);
    for (const JournalFile& file : m_journal.files) {
        const std::wstring target = joinPath(m_plan.root, file.relative);
        if (file.replacing) m_files.rename(target, asidePath(m_plan.root, file));
        m_files.rename(stagedPath(m_plan.root, file), target);
    }
    m_files.flushFolders(touchedFolders(m_files, m_plan.root, m_journal));
    tell(m_log, L"Validation faite : " + std::to_wstring(m_plan.files.size()) + L" fichier(s) en place");
    if (m_plan.trust) tell(m_log, L"Fichier de confiance en place : " + joinPath(m_plan.root, kTrustName));
    for (const PlannedStamp& stamp : m_plan.stamps) {
        m_registry.write(stamp.section, kVersionKey, stamp.version);
        tell(m_log, L"Version inscrite : " + stamp.section + L" en version " + guillemets(stamp.version));
    }
    // The point of no return: once the journal's new name is durable the update stays applied.
    m_files.rename(joinPath(m_plan.root, kJournalName), joinPath(m_plan.root, kFinalJournalName));
    m_files.flushFolders({m_plan.root});
    m_phase = Phase::Final;
    tell(m_log, L"Mise \u00E0 jour valid\u00E9e");
}

void StagedUpdate::finish() {
    if (m_phase != Phase::Final) return;
    m_phase = Phase::Finished;
    // The moved-aside files go durably before the journal that names them, so none is ever left unnamed.
    // This run knows what it left: only the files it moved aside, each removed without a look first.
    const bool removed = ignoringFailure([&] {
        for (const JournalFile& file : m_journal.files) {
            if (file.replacing) m_files.removeFile(asidePath(m_plan.root, file));
        }
        m_files.flushFolders(touchedFolders(m_files, m_plan.root, m_journal));
    });
    if (!removed) return;
    ignoringFailure([&] {
        m_files.removeFile(joinPath(m_plan.root, kFinalJournalName));
        m_files.flushFolders({m_plan.root});
    });
}

void StagedUpdate::undo() {
    if (m_phase != Phase::Staging) return;
    const std::wstring journal = joinPath(m_plan.root, kJournalName);
    // A commit whose last flush failed leaves its journal under the final name, which a later flush
    // would make durable: the journal takes its first name back, durably, before anything is put back,
    // so that no start ever completes an update this run undid.
    const std::wstring finalJournal = joinPath(m_plan.root, kFinalJournalName);
    if (m_files.kindOf(finalJournal) == NodeKind::File) {
        const bool renamed = ignoringFailure([&] {
            m_files.rename(finalJournal, journal);
            m_files.flushFolders({m_plan.root});
        });
        if (!renamed) return;
    }
    const bool putBack = ignoringFailure([&] { rollBack(m_files, m_registry, m_plan.root, m_journal); });
    // Until everything is back the journal stays: the next start finishes what could not be done now.
    if (!putBack) return;
    m_phase = Phase::Undone;
    if (m_files.kindOf(journal) == NodeKind::File) {
        ignoringFailure([&] {
            m_files.removeFile(journal);
            m_files.flushFolders({m_plan.root});
        });
    }
    tell(m_log, L"Mise \u00E0 jour annul\u00E9e : l'installation est revenue \u00E0 son \u00E9tat d'avant");
}

Recovery recoverInterruptedUpdate(FileServices& files, RegistryValues& registry,
                                  const std::wstring& installDir, const EngineLog& log) {
    files.holdFolder(installDir);
    const std::wstring root = withoutTrailingSeparators(files.spell(installDir));
    Recovery outcome = Recovery::None;
    for (const bool final : {false, true}) {
        const std::wstring path = joinPath(root, final ? kFinalJournalName : kJournalName);
        const NodeKind kind = files.kindOf(path);
        if (kind == NodeKind::Missing) continue;
        if (kind != NodeKind::File) throw RejectedJournal(path, L"ce n'est pas un fichier");
        std::optional<std::string> text;
        try {
            text = files.readFile(path, kJournalLimit);
        } catch (const std::exception&) {
            throw RejectedJournal(
                path, L"il ne peut pas \u00EAtre lu, ou d\u00E9passe la taille d'un journal du programme");
        }
        if (!text) continue;
        const ParsedJournal parsed = parseJournal(*text);
        if (parsed.state == JournalText::Rejected) throw RejectedJournal(path, parsed.reason);
        if (parsed.state == JournalText::CutShort && final)
            throw RejectedJournal(path, L"un journal final incomplet");
        if (parsed.state == JournalText::Whole) {
            checkPlaces(files, root, path, parsed.journal);
            if (final) {
                rollForward(files, root, parsed.journal);
                tell(log,
                     L"Fin d'une mise \u00E0 jour interrompue apr\u00E8s sa validation (ex\u00E9cution " +
                         parsed.journal.runId + L")");
                outcome = Recovery::Completed;
            } else {
                rollBack(files, registry, root, parsed.journal);
                tell(log, L"Mise \u00E0 jour interrompue annul\u00E9e (ex\u00E9cution " +
                              parsed.journal.runId + L")");
                outcome = Recovery::RolledBack;
            }
            registry.removeTemporary(parsed.journal.process);
        }
        // A journal cut short was being written when the run stopped: nothing had been staged yet.
        files.removeFile(path);
        files.flushFolders({root});
    }
    return outcome;
}

}  // namespace setup
