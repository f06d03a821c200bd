#include "staging/update_plan.h"

#include <algorithm>
#include <map>

#include "platform/file_services.h"
#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr const wchar_t* kOwnPrefix = L".setup-";

bool hasControlCharacter(const std::wstring& text) {
    return text.find_first_of(L"\t\r\n") != std::wstring::npos;
}

/// `path`, which lies inside `base`, relative to it with "/" between components.
std::wstring relativeBelow(const std::wstring& path, const std::wstring& base) {
    std::wstring relative;
    for (std::wstring_view part : pathComponents(std::wstring_view(path).substr(base.size())))
        relative = joinRelative(relative, std::wstring(part));
    return relative;
}

/// A folder below the installation as the plan has resolved it.
struct ResolvedFolder {
    std::wstring relative;  ///< as the file system spells it, "/" between components; empty for the top
    bool exists = false;    ///< false: the plan creates it
    std::optional<RefusalReason> refusal;
};

/// Resolves each folder below the installation once, whatever number of entries lie in it.
class FolderResolver {
  public:
    FolderResolver(FileServices& files, std::wstring root, std::wstring rootReal)
        : m_files(files), m_root(std::move(root)), m_rootReal(std::move(rootReal)) {
        m_known.emplace(L"", ResolvedFolder{L"", true, std::nullopt});
    }

    /// The folder `components` names below the installation.
    const ResolvedFolder& resolve(const std::vector<std::wstring>& components) {
        std::wstring key;
        const ResolvedFolder* parent = &m_known.at(L"");
        for (const std::wstring& component : components) {
            key += L"/" + foldedName(component);
            auto known = m_known.find(key);
            if (known == m_known.end()) known = m_known.emplace(key, child(*parent, component)).first;
            parent = &known->second;
        }
        return *parent;
    }

    /// Folders the plan creates, parents first.
    const std::vector<std::wstring>& created() const { return m_created; }

  private:
    ResolvedFolder child(const ResolvedFolder& parent, const std::wstring& name) {
        if (parent.refusal) return parent;
        if (!parent.exists) return created(joinRelative(parent.relative, name));
        const std::wstring spelled = m_files.spell(joinPath(m_root, joinRelative(parent.relative, name)));
        const std::wstring relative = joinRelative(parent.relative, lastComponent(spelled));
        switch (m_files.kindOf(spelled)) {
            case NodeKind::Missing:
                return created(relative);
            case NodeKind::Folder:
                return {relative, true, std::nullopt};
            case NodeKind::File:
                return {relative, true, RefusalReason::NotAFile};
            case NodeKind::Other:
                break;
        }
        // A link to a folder is accepted as long as it stays inside the installation, and resolved here
        // once: what the update writes goes to the folder it leads to, itself reached without a link.
        const std::wstring real = m_files.realPath(spelled);
        if (!isSameOrInside(real, m_rootReal)) return {relative, true, RefusalReason::OutsideInstallation};
        if (real.size() == m_rootReal.size() || m_files.kindOf(real) != NodeKind::Folder)
            return {relative, true, RefusalReason::NotAFile};
        return {relativeBelow(real, m_rootReal), true, std::nullopt};
    }

    ResolvedFolder created(const std::wstring& relative) {
        m_created.push_back(relative);
        return {relative, false, std::nullopt};
    }

    FileServices& m_files;
    std::wstring m_root;
    std::wstring m_rootReal;
    std::map<std::wstring, ResolvedFolder> m_known;
    std::vector<std::wstring> m_created;
};

/// Where each of the update's files really lies, with each folder's links resolved once for all the files
/// in it.
class SourceResolver {
  public:
    explicit SourceResolver(FileServices& files) : m_files(files) {}

    std::wstring realPath(const std::wstring& source) {
        // A link at the file itself is followed on its own; a plain file lies where its folder does.
        if (m_files.kindOf(source) == NodeKind::Other) return m_files.realPath(source);
        const std::size_t last = source.find_last_of(L"\\/");
        if (last == std::wstring::npos) return m_files.realPath(source);
        const std::wstring folder = source.substr(0, last);
        auto known = m_folders.find(folder);
        if (known == m_folders.end()) known = m_folders.emplace(folder, m_files.realPath(folder)).first;
        return joinPath(known->second, source.substr(last + 1));
    }

  private:
    FileServices& m_files;
    std::map<std::wstring, std::wstring> m_folders;
};

/// The components of an entry below its base, "." dropped and ".." taken back; nullopt when the text
/// climbs above the base.
std::optional<std::vector<std::wstring>> entryComponents(const std::wstring& entry) {
    if (!staysInsideBase(entry)) return std::nullopt;
    std::vector<std::wstring> kept;
    for (std::wstring_view part : pathComponents(entry)) {
        if (part == L".") continue;
        if (part == L"..") {
            if (kept.empty()) return std::nullopt;
            kept.pop_back();
            continue;
        }
        kept.emplace_back(part);
    }
    return kept;
}

}  // namespace

bool isOwnFileName(const std::wstring& name) {
    // Letter case aside, as a file system that ignores it would find the program's own file by it.
    const std::wstring folded = foldedName(name);
    return folded.rfind(foldedName(kOwnPrefix), 0) == 0 || endsWith(folded, foldedName(kStagedSuffix)) ||
           endsWith(folded, foldedName(kAsideSuffix));
}

bool UpdatePlan::keepsUpdateFolder() const {
    return std::any_of(refusals.begin(), refusals.end(), [](const PlanRefusal& refusal) {
        return refusal.reason == RefusalReason::UpdateInsideInstallation;
    });
}

UpdatePlan makeUpdatePlan(FileServices& files, const PlanInput& input) {
    UpdatePlan plan;
    // Everything the update touches is reached through these two folders, opened once.
    files.holdFolder(input.installDir);
    files.holdFolder(input.updateFolder);
    plan.root = withoutTrailingSeparators(files.spell(input.installDir));
    const std::wstring rootReal = files.realPath(plan.root);
    const std::wstring updateFolder = withoutTrailingSeparators(input.updateFolder);
    const std::wstring updateReal = files.realPath(updateFolder);
    auto refuse = [&](const std::wstring& entry, RefusalReason reason) {
        plan.refusals.push_back({entry, reason});
    };
    // The cleanup deletes the update's files from its folder: there they must not be installed files.
    if (isSameOrInside(updateReal, rootReal) || isSameOrInside(rootReal, updateReal))
        refuse(L"", RefusalReason::UpdateInsideInstallation);

    FolderResolver folders(files, plan.root, rootReal);
    SourceResolver sources(files);
    // A file not installed yet is known by the first spelling an entry gives it; a later entry that
    // names it in other letters names the same file, as the file system's lookup would find it.
    std::map<std::wstring, std::size_t> byFoldedPath;
    for (const std::wstring& entry : input.fileEntries) {
        if (hasControlCharacter(entry)) {
            refuse(entry, RefusalReason::ControlCharacter);
            continue;
        }
        const std::optional<std::vector<std::wstring>> components = entryComponents(entry);
        if (!components) {
            refuse(entry, RefusalReason::OutsideUpdateFolder);
            continue;
        }
        if (components->empty()) {
            refuse(entry, RefusalReason::InstallationItself);
            continue;
        }
        // The copy reads the file where it really lies, so that it reaches it without following a link.
        const std::wstring source = sources.realPath(joinPath(updateFolder, entry));
        if (!isSameOrInside(source, updateReal)) {
            refuse(entry, RefusalReason::OutsideUpdateFolder);
            continue;
        }
        const std::wstring& name = components->back();
        // A folder named as the program's own files would make every file below it look like one.
        if (std::any_of(components->begin(), components->end(), isOwnFileName)) {
            refuse(entry, RefusalReason::OwnFileName);
            continue;
        }
        if (!files.nameFits(name + kStagedSuffix) || !files.nameFits(name + kAsideSuffix)) {
            refuse(entry, RefusalReason::NameTooLong);
            continue;
        }
        const ResolvedFolder& folder =
            folders.resolve(std::vector<std::wstring>(components->begin(), components->end() - 1));
        if (folder.refusal) {
            refuse(entry, *folder.refusal);
            continue;
        }
        std::wstring relative = joinRelative(folder.relative, name);
        bool replacing = false;
        if (folder.exists) {
            const std::wstring spelled = files.spell(joinPath(plan.root, relative));
            relative = joinRelative(folder.relative, lastComponent(spelled));
            const NodeKind kind = files.kindOf(spelled);
            if (kind == NodeKind::Folder || kind == NodeKind::Other) {
                refuse(entry, RefusalReason::NotAFile);
                continue;
            }
            replacing = kind == NodeKind::File;
        }
        // An installed file is known by its exact name (where names keep their case, `A.txt` and `a.txt`
        // are two files); a new one by its letters alone.
        const std::wstring key = replacing ? L"=" + relative : L"~" + foldedPath(relative);
        if (const auto known = byFoldedPath.find(key); known != byFoldedPath.end()) {
            plan.files[known->second].source = source;
            plan.entryFiles.push_back(known->second);
            plan.entrySources.push_back(source);
            continue;
        }
        byFoldedPath.emplace(key, plan.files.size());
        plan.entryFiles.push_back(plan.files.size());
        plan.entrySources.push_back(source);
        plan.files.push_back({source, relative, replacing});
    }
    plan.folders = folders.created();
    for (const PlannedStamp& stamp : input.stamps) {
        if (hasControlCharacter(stamp.section) || hasControlCharacter(stamp.version))
            refuse(L"#" + stamp.version, RefusalReason::ControlCharacter);
        else
            plan.stamps.push_back(stamp);
    }
    return plan;
}

void planTrustFile(FileServices& files, UpdatePlan& plan, std::string text) {
    const NodeKind kind = files.kindOf(joinPath(plan.root, kTrustName));
    // Only a file of the program's own stands there; anything else is no trust file to replace.
    if (kind == NodeKind::Folder || kind == NodeKind::Other)
        plan.refusals.push_back({kTrustName, RefusalReason::NotAFile});
    plan.trust = std::move(text);
    plan.trustReplacing = kind == NodeKind::File;
}

}  // namespace setup
