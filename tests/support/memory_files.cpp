#include "tests/support/memory_files.h"

#include <algorithm>
#include <cwctype>
#include <deque>
#include <set>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup::test {

namespace {

constexpr int kLinkHops = 40;  // as many links as the system follows in one path

const std::string kFolderText = "<folder>";
const std::string kLinkPrefix = "<link> ";
const std::string kReadOnlyPrefix = "<read-only> ";

bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

std::vector<std::wstring> componentsOf(const std::wstring& path) {
    std::vector<std::wstring> components;
    std::wstring current;
    for (const wchar_t c : path) {
        if (!isSeparator(c)) {
            current += c;
        } else if (!current.empty()) {
            components.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) components.push_back(std::move(current));
    return components;
}

std::wstring joined(const std::vector<std::wstring>& components) {
    std::wstring path;
    for (const std::wstring& component : components) path += L"/" + component;
    return path.empty() ? L"/" : path;
}

/// `path` as the call log shows it: "/" between components, no repeated separator.
std::wstring shown(const std::wstring& path) { return joined(componentsOf(path)); }

bool sameLetters(const std::wstring& a, const std::wstring& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

[[noreturn]] void fail(const std::string& why, const std::wstring& path) {
    throw Failure(why + ": " + narrow(shown(path)));
}

}  // namespace

/// A folder, a regular file or a link; what a power cut keeps of it is held beside what is there now.
struct MemoryFiles::Node {
    NodeKind kind = NodeKind::Folder;  // Other: a symbolic link
    std::map<std::wstring, NodePtr> entries;
    std::map<std::wstring, NodePtr> durableEntries;
    std::string bytes;
    std::string durableBytes;
    bool readOnly = false;
    std::wstring target;
};

MemoryFiles::MemoryFiles(const MemoryTree& tree, const MemoryValues& values)
    : m_root(std::make_shared<Node>()), m_values(values) {
    layOut(tree);
}

MemoryFiles::~MemoryFiles() = default;

void MemoryFiles::layOut(const MemoryTree& tree) {
    for (const auto& [path, content] : tree) {
        NodePtr folder = m_root;
        const std::vector<std::wstring> components = componentsOf(path);
        for (std::size_t i = 0; i + 1 < components.size(); ++i) {
            NodePtr& child = folder->entries[components[i]];
            if (!child) child = std::make_shared<Node>();
            folder->durableEntries[components[i]] = child;
            folder = child;
        }
        if (components.empty()) continue;
        auto node = std::make_shared<Node>();
        if (content == kFolderText) {
            if (folder->entries.count(components.back()) != 0) continue;
        } else if (content.rfind(kLinkPrefix, 0) == 0) {
            node->kind = NodeKind::Other;
            const std::string target = content.substr(kLinkPrefix.size());
            node->target.assign(target.begin(), target.end());
        } else {
            node->kind = NodeKind::File;
            node->readOnly = content.rfind(kReadOnlyPrefix, 0) == 0;
            node->bytes = node->readOnly ? content.substr(kReadOnlyPrefix.size()) : content;
            node->durableBytes = node->bytes;
        }
        folder->entries[components.back()] = node;
        folder->durableEntries[components.back()] = node;
    }
}

MemoryTree MemoryFiles::tree() const {
    MemoryTree tree;
    std::function<void(const std::wstring&, const Node&)> list = [&](const std::wstring& prefix,
                                                                     const Node& folder) {
        for (const auto& [name, node] : folder.entries) {
            const std::wstring path = prefix + L"/" + name;
            switch (node->kind) {
                case NodeKind::Folder:
                    tree[path] = kFolderText;
                    list(path, *node);
                    break;
                case NodeKind::Other:
                    tree[path] = kLinkPrefix + toUtf8(node->target);
                    break;
                default:
                    tree[path] = (node->readOnly ? kReadOnlyPrefix : "") + node->bytes;
            }
        }
    };
    list(L"", *m_root);
    return tree;
}

void MemoryFiles::cutPower() {
    std::set<const Node*> restored;
    std::function<void(Node&)> restore = [&](Node& node) {
        if (!restored.insert(&node).second) return;
        node.entries = node.durableEntries;
        node.bytes = node.durableBytes;
        for (const auto& entry : node.entries) restore(*entry.second);
    };
    restore(*m_root);
    m_failures.clear();
}

void MemoryFiles::writeBackAllBut(const std::wstring& except) {
    const NodePtr kept = existing(except, true);
    std::function<void(Node&)> writeBack = [&](Node& node) {
        node.durableBytes = node.bytes;
        if (&node != kept.get()) node.durableEntries = node.entries;
        for (const auto& entry : node.entries) writeBack(*entry.second);
    };
    writeBack(*m_root);
}

void MemoryFiles::failCall(const std::wstring& kind, std::size_t nth) {
    m_failures[kind] = m_callsOfKind[kind] + nth;
}

bool MemoryFiles::isHeld(const NodePtr& node) const {
    return std::find(m_held.begin(), m_held.end(), node) != m_held.end();
}

MemoryFiles::Walk MemoryFiles::walk(const std::wstring& path, bool followLast, bool anyCase,
                                    bool anyLink) const {
    Walk walk;
    const std::vector<std::wstring> components = componentsOf(path);
    std::deque<std::wstring> pending(components.begin(), components.end());
    int hops = 0;
    auto belowHeld = [&] {
        return isHeld(m_root) || std::any_of(walk.found.begin(), walk.found.end(),
                                             [&](const auto& step) { return isHeld(step.second); });
    };
    while (!pending.empty()) {
        std::wstring name = std::move(pending.front());
        pending.pop_front();
        if (!walk.missing.empty()) {
            walk.missing.push_back(std::move(name));
            continue;
        }
        if (name == L".") continue;
        if (name == L"..") {
            if (!walk.found.empty()) walk.found.pop_back();
            continue;
        }
        const Node& folder = walk.found.empty() ? *m_root : *walk.found.back().second;
        auto entry = folder.entries.find(name);
        if (anyCase && entry == folder.entries.end()) {
            entry = std::find_if(folder.entries.begin(), folder.entries.end(),
                                 [&](const auto& other) { return sameLetters(other.first, name); });
        }
        if (folder.kind != NodeKind::Folder || entry == folder.entries.end()) {
            walk.missing.push_back(std::move(name));
            continue;
        }
        const NodePtr& node = entry->second;
        if (node->kind == NodeKind::Other && (!pending.empty() || followLast)) {
            if (!anyLink && belowHeld()) fail("a link below a held folder", path);
            if (++hops > kLinkHops) fail("too many links", path);
            if (!node->target.empty() && isSeparator(node->target.front())) walk.found.clear();
            const std::vector<std::wstring> target = componentsOf(node->target);
            pending.insert(pending.begin(), target.begin(), target.end());
            continue;
        }
        walk.found.emplace_back(entry->first, node);
    }
    walk.belowHeld = belowHeld();
    return walk;
}

MemoryFiles::NodePtr MemoryFiles::existing(const std::wstring& path, bool followLast) const {
    const Walk found = walk(path, followLast);
    if (!found.missing.empty()) return nullptr;
    return found.found.empty() ? m_root : found.found.back().second;
}

std::wstring MemoryFiles::resolved(const std::wstring& path) const {
    const Walk found = walk(path, true, true, true);
    std::vector<std::wstring> components;
    for (const auto& component : found.found) components.push_back(component.first);
    components.insert(components.end(), found.missing.begin(), found.missing.end());
    return joined(components);
}

MemoryFiles::Slot MemoryFiles::slotOf(const std::wstring& path) const {
    std::vector<std::wstring> components = componentsOf(path);
    if (components.empty() || components.back() == L"." || components.back() == L"..") {
        fail("no name", path);
    }
    Slot slot;
    slot.name = components.back();
    components.pop_back();
    const Walk folder = walk(joined(components), true);
    if (!folder.missing.empty()) fail("no such folder", path);
    slot.folder = folder.found.empty() ? m_root : folder.found.back().second;
    if (slot.folder->kind != NodeKind::Folder) fail("no such folder", path);
    if (!folder.belowHeld) fail("not inside a folder the run holds", path);
    const auto entry = slot.folder->entries.find(slot.name);
    if (entry != slot.folder->entries.end()) slot.node = entry->second;
    return slot;
}

void MemoryFiles::begin(const std::wstring& kind, const std::wstring& line, bool changing) {
    m_calls.push_back(line);
    if (changing && m_watcher) m_watcher(line, false);
    const std::size_t number = ++m_callsOfKind[kind];
    const auto failure = m_failures.find(kind);
    if (failure != m_failures.end() && failure->second == number) {
        m_failures.erase(failure);
        throw Failure("made to fail: " + narrow(line));
    }
}

void MemoryFiles::changed(const std::wstring& line) {
    ++m_changes;
    if (m_watcher) m_watcher(line, true);
}

void MemoryFiles::holdFolder(const std::wstring& folder) {
    begin(L"holdFolder", L"holdFolder " + shown(folder), false);
    const Walk found = walk(folder, true, true, true);
    const NodePtr node = !found.missing.empty() ? nullptr
                         : found.found.empty()  ? m_root
                                                : found.found.back().second;
    if (!node || node->kind != NodeKind::Folder) fail("no folder to hold", folder);
    if (!isHeld(node)) m_held.push_back(node);
}

NodeKind MemoryFiles::kindOf(const std::wstring& path) {
    begin(L"kindOf", L"kindOf " + shown(path), false);
    try {
        const NodePtr node = existing(path, false);
        return node ? node->kind : NodeKind::Missing;
    } catch (const Failure&) {
        return NodeKind::Other;  // a loop of links on the way
    }
}

std::wstring MemoryFiles::spell(const std::wstring& path) {
    begin(L"spell", L"spell " + shown(path), false);
    std::wstring where = L"/";  // the folder reached so far, links resolved
    std::vector<std::wstring> spelled;
    bool lost = false;
    for (const std::wstring& name : componentsOf(path)) {
        spelled.push_back(name);
        if (lost || name == L"." || name == L"..") {
            if (!lost) where = resolved(where + L"/" + name);
            continue;
        }
        const NodePtr folder = existing(where, true);
        if (!folder || folder->kind != NodeKind::Folder) {
            lost = true;
            continue;
        }
        auto entry = folder->entries.find(name);
        if (entry == folder->entries.end()) {
            entry = std::find_if(folder->entries.begin(), folder->entries.end(),
                                 [&](const auto& other) { return sameLetters(other.first, name); });
        }
        if (entry == folder->entries.end()) {
            lost = true;
            continue;
        }
        spelled.back() = entry->first;
        // Below a held folder a link is never followed, so nothing past it is looked up.
        if (entry->second->kind == NodeKind::Other && walk(where, true).belowHeld) {
            lost = true;
            continue;
        }
        where = resolved(where + L"/" + entry->first);
    }
    return joined(spelled);
}

std::wstring MemoryFiles::realPath(const std::wstring& path) {
    begin(L"realPath", L"realPath " + shown(path), false);
    return resolved(path);
}

bool MemoryFiles::nameFits(const std::wstring& name) {
    begin(L"nameFits", L"nameFits " + name, false);
    return !name.empty() && name.size() <= kNameLimit;
}

std::uint64_t MemoryFiles::copyFile(const std::wstring& source, const std::wstring& installed,
                                    const std::wstring& staged, CopyCheck* check) {
    const std::wstring line = L"copyFile " + shown(source) + L" -> " + shown(staged);
    begin(L"copyFile", line, true);
    const NodePtr from = existing(source, true);
    if (!from || from->kind != NodeKind::File) fail("no file to copy", source);
    const Slot slot = slotOf(staged);
    if (slot.node && slot.node->kind == NodeKind::Folder) fail("a folder stands there", staged);
    const NodePtr mode = existing(installed, false);
    auto copy = std::make_shared<Node>();
    copy->kind = NodeKind::File;
    copy->bytes = from->bytes;
    if (check) {
        if (copy->bytes.size() > check->limit) copy->bytes.resize(static_cast<std::size_t>(check->limit) + 1);
        Sha256 digest;
        digest.update(copy->bytes.data(), copy->bytes.size());
        check->digest = digest.finish();
    }
    copy->readOnly = mode && mode->kind == NodeKind::File && mode->readOnly;
    slot.folder->entries[slot.name] = copy;
    changed(line);
    return copy->bytes.size();
}

void MemoryFiles::writeFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring line = L"writeFile " + shown(path);
    begin(L"writeFile", line, true);
    const Slot slot = slotOf(path);
    if (slot.node && slot.node->kind == NodeKind::File) {
        slot.node->bytes = bytes;
    } else if (slot.node && slot.node->kind == NodeKind::Folder) {
        fail("no file can be written there", path);
    } else {
        // A link there goes first, as the program's own services never write through one.
        auto file = std::make_shared<Node>();
        file->kind = NodeKind::File;
        file->bytes = bytes;
        slot.folder->entries[slot.name] = file;
    }
    changed(line);
}

std::optional<std::string> MemoryFiles::readFile(const std::wstring& path, std::size_t limit) {
    begin(L"readFile", L"readFile " + shown(path), false);
    const NodePtr node = existing(path, true);
    if (!node) return std::nullopt;
    if (node->kind != NodeKind::File) fail("not a file", path);
    if (node->bytes.size() > limit) fail("too large", path);
    return node->bytes;
}

void MemoryFiles::flushFiles(const std::vector<std::wstring>& paths) {
    std::wstring line = L"flushFiles";
    for (const std::wstring& path : paths) line += L" " + shown(path);
    begin(L"flushFiles", line, true);
    std::vector<NodePtr> files;
    for (const std::wstring& path : paths) {
        files.push_back(existing(path, true));
        if (!files.back() || files.back()->kind != NodeKind::File) fail("no file to flush", path);
    }
    for (const NodePtr& file : files) file->durableBytes = file->bytes;
    changed(line);
}

void MemoryFiles::flushFolders(const std::vector<std::wstring>& folders) {
    std::wstring line = L"flushFolders";
    for (const std::wstring& path : folders) line += L" " + shown(path);
    begin(L"flushFolders", line, true);
    std::vector<NodePtr> nodes;
    for (const std::wstring& path : folders) {
        nodes.push_back(existing(path, true));
        if (!nodes.back() || nodes.back()->kind != NodeKind::Folder) fail("no folder to flush", path);
    }
    for (const NodePtr& folder : nodes) folder->durableEntries = folder->entries;
    changed(line);
}

void MemoryFiles::rename(const std::wstring& from, const std::wstring& to) {
    const std::wstring line = L"rename " + shown(from) + L" -> " + shown(to);
    begin(L"rename", line, true);
    const Slot source = slotOf(from);
    const Slot target = slotOf(to);
    if (!source.node) fail("nothing to rename", from);
    if (source.node != target.node) {
        if (target.node && target.node->kind == NodeKind::Folder &&
            (source.node->kind != NodeKind::Folder || !target.node->entries.empty())) {
            fail("a folder stands there", to);
        }
        if (target.node && source.node->kind == NodeKind::Folder && target.node->kind != NodeKind::Folder) {
            fail("not a folder", to);
        }
        for (const auto& step : walk(to, false).found) {
            if (step.second == source.node) fail("a folder cannot go inside itself", to);
        }
        source.folder->entries.erase(source.name);
        target.folder->entries[target.name] = source.node;
    }
    changed(line);
}

void MemoryFiles::createFolder(const std::wstring& path) {
    const std::wstring line = L"createFolder " + shown(path);
    begin(L"createFolder", line, true);
    const Slot slot = slotOf(path);
    if (!slot.node) {
        slot.folder->entries[slot.name] = std::make_shared<Node>();
    } else if (slot.node->kind != NodeKind::Folder) {
        fail("something else stands there", path);
    }
    changed(line);
}

void MemoryFiles::removeFolder(const std::wstring& path) {
    const std::wstring line = L"removeFolder " + shown(path);
    begin(L"removeFolder", line, true);
    const Slot slot = slotOf(path);
    if (!slot.node || slot.node->kind != NodeKind::Folder) fail("no folder to remove", path);
    if (!slot.node->entries.empty()) fail("folder not empty", path);
    slot.folder->entries.erase(slot.name);
    changed(line);
}

void MemoryFiles::removeFile(const std::wstring& path) {
    const std::wstring line = L"removeFile " + shown(path);
    begin(L"removeFile", line, true);
    const Slot slot = slotOf(path);
    if (!slot.node || slot.node->kind == NodeKind::Folder) fail("no file to remove", path);
    slot.folder->entries.erase(slot.name);
    changed(line);
}

std::optional<std::wstring> MemoryFiles::read(const std::wstring& section, const std::wstring& key) {
    begin(L"read", L"read " + section + L" " + key, false);
    const auto value = m_values.find({section, key});
    if (value == m_values.end()) return std::nullopt;
    return value->second;
}

void MemoryFiles::write(const std::wstring& section, const std::wstring& key,
                        const std::optional<std::wstring>& value) {
    const std::wstring line = L"write " + section + L" " + key + L" " + (value ? L"= " + *value : L"absent");
    begin(L"write", line, true);
    if (value) {
        m_values[{section, key}] = *value;
    } else {
        m_values.erase({section, key});
    }
    changed(line);
}

void MemoryFiles::removeTemporary(std::uint64_t process) {
    begin(L"removeTemporary", L"removeTemporary " + std::to_wstring(process), false);
}

}  // namespace setup::test
