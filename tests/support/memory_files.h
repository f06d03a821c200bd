#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_services.h"
#include "staging/registry_values.h"

namespace setup::test {

/// A whole file system as a table: each absolute path ("/" separators) with a file's bytes, "<folder>"
/// for a folder, "<link> target" for a symbolic link; a read-only file's bytes follow "<read-only> ".
using MemoryTree = std::map<std::wstring, std::string>;
/// The registry's values: (section, key) -> value.
using MemoryValues = std::map<std::pair<std::wstring, std::wstring>, std::wstring>;

/// The engine's file services and registry in memory, keeping apart what a power cut would keep (what was
/// flushed) and what it would lose. Paths take "\" or "/" separators and start from "/"; links are
/// resolved as the system resolves them, ".." physically. Like the program's own services, spell and
/// realPath find a name in other letters when no exact match is there; every other call wants the exact
/// name, so that a path the engine forgot to spell shows. Every call is recorded as a short line; a call
/// can be made to fail, and a watcher sees every call before it and every change after it.
class MemoryFiles : public FileServices, public RegistryValues {
  public:
    /// Sees each call that changes something (files, folders, what is durable, the registry) before it
    /// runs (`done` false) and once it took effect (`done` true); it may throw to stop the caller there.
    using Watcher = std::function<void(const std::wstring& call, bool done)>;

    /// A file system laid out from `tree`, all of it durable, and the registry `values`.
    explicit MemoryFiles(const MemoryTree& tree = {}, const MemoryValues& values = {});
    ~MemoryFiles() override;
    MemoryFiles(const MemoryFiles&) = delete;  // its nodes would be shared
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    /// Adds `tree` (parents before children in the table's order), durably, as if long in place.
    void layOut(const MemoryTree& tree);
    /// Everything there now, links not followed.
    MemoryTree tree() const;
    /// The registry's values now.
    const MemoryValues& values() const { return m_values; }

    /// Loses everything that was not durable, as a power cut does, and forgets any armed failure.
    void cutPower();
    /// Makes durable every file's bytes and every folder's entries but those of the folder `except` (all
    /// of them when it names no folder), as the system may write them back on its own before any flush
    /// asks it to.
    void writeBackAllBut(const std::wstring& except);

    /// Makes the `nth` (from 1) call of `kind` ("rename", "flushFolders", "write"...) from now on throw
    /// Failure before it changes anything.
    void failCall(const std::wstring& kind, std::size_t nth);
    /// Every call so far, in order, e.g. "rename /inst/a.setup-new -> /inst/a".
    const std::vector<std::wstring>& calls() const { return m_calls; }
    /// How many calls so far changed something (files, folders, durability or the registry).
    std::size_t changeCount() const { return m_changes; }
    /// Installs the one watcher; an empty one removes it.
    void watch(Watcher watcher) { m_watcher = std::move(watcher); }

    /// Holds the folder `folder` is now: below it no link is followed (realPath aside) and only there may
    /// anything change, as with the program's own services.
    void holdFolder(const std::wstring& folder) override;
    NodeKind kindOf(const std::wstring& path) override;
    std::wstring spell(const std::wstring& path) override;
    std::wstring realPath(const std::wstring& path) override;
    bool nameFits(const std::wstring& name) override;
    std::uint64_t copyFile(const std::wstring& source, const std::wstring& installed,
                           const std::wstring& staged, CopyCheck* check = nullptr) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) override;
    void flushFiles(const std::vector<std::wstring>& paths) override;
    void flushFolders(const std::vector<std::wstring>& folders) override;
    void rename(const std::wstring& from, const std::wstring& to) override;
    void createFolder(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    void removeFile(const std::wstring& path) override;

    std::optional<std::wstring> read(const std::wstring& section, const std::wstring& key) override;
    void write(const std::wstring& section, const std::wstring& key,
               const std::optional<std::wstring>& value) override;
    /// Records the call: every write here is whole at once, and leaves no temporary file.
    void removeTemporary(std::uint64_t process) override;

    /// The longest name, in characters, that nameFits accepts.
    static constexpr std::size_t kNameLimit = 255;

  private:
    struct Node;
    using NodePtr = std::shared_ptr<Node>;
    /// A name in its folder, and what holds it (null when nothing does).
    struct Slot {
        NodePtr folder;
        std::wstring name;
        NodePtr node;
    };
    /// Where a path leads: the components found, then those missing (as given).
    struct Walk {
        std::vector<std::pair<std::wstring, NodePtr>> found;
        std::vector<std::wstring> missing;
        bool belowHeld = false;  ///< the last folder found is a held folder or lies below one
    };

    /// Follows `path` as the system does; `anyCase` looks a name up without regard to letter case when
    /// no exact match is there, as the program's own lookup does.
    /// Below a held folder a link is a failure, unless `anyLink` (realPath's walk).
    Walk walk(const std::wstring& path, bool followLast, bool anyCase = false, bool anyLink = false) const;
    bool isHeld(const NodePtr& node) const;
    NodePtr existing(const std::wstring& path, bool followLast) const;
    std::wstring resolved(const std::wstring& path) const;
    Slot slotOf(const std::wstring& path) const;
    void begin(const std::wstring& kind, const std::wstring& line, bool changing);
    void changed(const std::wstring& line);

    NodePtr m_root;
    std::vector<NodePtr> m_held;
    MemoryValues m_values;
    std::vector<std::wstring> m_calls;
    std::map<std::wstring, std::size_t> m_callsOfKind;
    std::map<std::wstring, std::size_t> m_failures;  ///< kind -> the number of its call that fails
    std::size_t m_changes = 0;
    Watcher m_watcher;
};

}  // namespace setup::test
