#include "platform/held_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/file_probe.h"
#include "platform/path_mapping.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/io_loops.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

/// More folders than this held at once and all but the held roots are closed: opening one again refuses
/// links as the first opening did, so the bound costs opens, never safety.
constexpr std::size_t kMostOpenFolders = 512;

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
    throw Failure(what + " " + path + " : " + systemErrorText(error));
}

/// A program path as the file system's text: "/" between components, repeated separators collapsed, no
/// trailing separator (except for the root itself).
std::string literal(const std::wstring& path) {
    std::string text = toUtf8(std::wstring_view(path).substr(0, path.find(L'\0')));
    std::replace(text.begin(), text.end(), '\\', '/');
    std::string collapsed;
    for (char c : text) {
        if (c == '/' && !collapsed.empty() && collapsed.back() == '/') continue;
        collapsed += c;
    }
    while (collapsed.size() > 1 && collapsed.back() == '/') collapsed.pop_back();
    return collapsed;
}

std::vector<std::string> splitComponents(const std::string& relative) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos) slash = relative.size();
        if (slash > start) parts.push_back(relative.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i ? "/" : "") + parts[i];
    return text;
}

/// The letters of a name as a lookup without regard to letter case compares them.
std::wstring foldedKey(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) c = foldCase(c);
    return key;
}

/// Copies up to `size` bytes of `in` to `out`, inside the kernel while the system can (`kernel` is cleared
/// once it cannot), else through `buffer`, made at the first need; answers the bytes copied, fewer only at
/// the end of `in`.
std::size_t copyBlock(int in, int out, std::size_t size, bool& kernel, std::unique_ptr<char[]>& buffer,
                      const std::string& source, const std::string& destination) {
    std::size_t copied = 0;
    while (copied < size && kernel) {
        const ssize_t count = ::copy_file_range(in, nullptr, out, nullptr, size - copied, 0);
        if (count > 0) {
            copied += static_cast<std::size_t>(count);
            continue;
        }
        if (count == 0) return copied;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM ||
            errno == EBADF) {
            kernel = false;
            break;
        }
        fail("impossible de copier " + source + " vers", destination, errno);
    }
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    if (copied < size && !buffer) buffer = std::make_unique<char[]>(kBuffer);
    while (copied < size) {
        const std::size_t count = readSome(in, buffer.get(), std::min(size - copied, kBuffer), source);
        if (count == 0) break;
        writeAll(out, buffer.get(), count, destination);
        copied += count;
    }
    return copied;
}

/// Copies the rest of `in` to `out`, inside the kernel where the system can, else through a buffer, and
/// answers the bytes copied.
std::uint64_t copyContent(int in, int out, const std::string& source, const std::string& destination) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    bool kernel = true;
    std::unique_ptr<char[]> buffer;
    std::uint64_t copied = 0;
    while (const std::size_t count = copyBlock(in, out, kChunk, kernel, buffer, source, destination))
        copied += count;
    return copied;
}

/// Adds to `digest` the `size` bytes at `offset` of the staged file `out`, read back into `buffer`.
void digestStaged(int out, std::uint64_t offset, std::size_t size, char* buffer, Sha256& digest,
                  const std::string& destination) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::pread(out, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) fail("impossible de relire", destination, count < 0 ? errno : EIO);
        done += static_cast<std::size_t>(count);
    }
    digest.update(buffer, size);
}

/// Copies the rest of `in` to `out` block by block, inside the kernel where the system can, and digests
/// each block as the staged file now holds it, read back on a second thread while the next block is
/// copied; stops once one byte more than `check.limit` is written, and answers the bytes copied. What is
/// digested is what the commit will put in place, whatever the source does meanwhile. Each block's
/// write-back to the disk starts at once, so that the disk works while the processor digests, and the
/// flush before the commit finds little left to write.
std::uint64_t copyChecked(int in, int out, CopyCheck& check, const std::string& source,
                          const std::string& destination) {
    constexpr std::size_t kBlock = std::size_t{8} << 20;
    const std::unique_ptr<char[]> readBack = std::make_unique<char[]>(kBlock);
    std::unique_ptr<char[]> copyBuffer;
    bool kernel = true;
    Sha256 digest;
    std::future<void> digesting;
    std::uint64_t copied = 0;
    while (copied <= check.limit) {
        const std::uint64_t room = check.limit - copied + 1;
        const std::size_t want = room < kBlock ? static_cast<std::size_t>(room) : kBlock;
        const std::size_t count = copyBlock(in, out, want, kernel, copyBuffer, source, destination);
        if (count == 0) break;
        ::sync_file_range(out, static_cast<off_t>(copied), static_cast<off_t>(count), SYNC_FILE_RANGE_WRITE);
        // The block before this one is digested by now, so the read-back buffer is free again.
        if (digesting.valid()) digesting.get();
        digesting = std::async(std::launch::async, [&, offset = copied, size = count] {
            digestStaged(out, offset, size, readBack.get(), digest, destination);
        });
        copied += count;
    }
    if (digesting.valid()) digesting.get();
    check.digest = digest.finish();
    return copied;
}

/// Opens the regular file `name` of the folder `folder` for reading; a link, FIFO or device is refused
/// without waiting for a writer.
int openRegularAt(int folder, const std::string& name, const std::string& shown, struct stat& st) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        fail(errno == ELOOP ? "un lien se trouve l\u00E0 o\u00F9 un fichier \u00E9tait attendu :"
                            : "impossible d'ouvrir",
             shown, errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        ::close(fd);
        fail("pas un fichier ordinaire :", shown, S_ISDIR(st.st_mode) ? EISDIR : error ? error : EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

/// Opens the folder `name` below the folder `parent`, following no link: openat2 refuses a link outright
/// where the kernel has it, a single component opened without following its link everywhere else.
int openFolderAt(int parent, const std::string& name) {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, parent, name.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS) return static_cast<int>(fd);
    const int walked = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (walked < 0) return -1;
    struct stat st {};
    if (::fstat(walked, &st) != 0 || !S_ISDIR(st.st_mode)) {
        ::close(walked);
        errno = ENOTDIR;
        return -1;
    }
    return walked;
}

NodeKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return NodeKind::File;
    if (S_ISDIR(mode)) return NodeKind::Folder;
    return NodeKind::Other;
}

}  // namespace

/// The held folders and every folder below them opened so far.
struct HeldFolderFiles::Folders {
    struct Root {
        int fd = -1;
        std::string spelled;            ///< as the file system spells it: what spell answers
        std::vector<std::string> keys;  ///< every text a path may start with to lie below it
    };
    /// A path below a held folder: the folder's number and the components below it.
    struct Place {
        std::size_t root = 0;
        std::vector<std::string> parts;
        std::string shown;  ///< the path as given, for messages
    };
    /// A folder below a held root, by the root's number and its components joined with "/".
    using FolderKey = std::pair<std::size_t, std::string>;

    std::vector<Root> roots;
    std::map<FolderKey, int> open;
    /// For each folder looked up in other letters: its names by their folded letters, the lowest in byte
    /// order first found.
    std::map<FolderKey, std::map<std::wstring, std::string>> names;
    /// What spell last found at the end of the path it answered, for the kindOf the plan asks next; any
    /// change forgets it.
    std::optional<std::pair<std::string, NodeKind>> lastSpelled;

    ~Folders() { closeAll(); }

    void closeAll() {
        for (const auto& [key, fd] : open) ::close(fd);
        open.clear();
        names.clear();
        for (Root& root : roots) ::close(root.fd);
        roots.clear();
    }

    /// The held folder `path` lies below, the deepest one when several hold it.
    std::optional<Place> place(const std::wstring& path) const {
        const std::string text = literal(path);
        std::optional<Place> best;
        std::size_t bestLength = 0;
        for (std::size_t index = 0; index < roots.size(); ++index) {
            for (const std::string& key : roots[index].keys) {
                const bool top = key == "/";
                const bool below =
                    text == key || (text.size() > key.size() && text.compare(0, key.size(), key) == 0 &&
                                    (top || text[key.size()] == '/'));
                if (!below || (best && key.size() <= bestLength)) continue;
                best = Place{index, splitComponents(text.substr(key.size())), text};
                bestLength = key.size();
            }
        }
        if (!best) return std::nullopt;
        // Below a held folder no link is followed, so ".." takes back the name before it, as text.
        std::vector<std::string> kept;
        for (std::string& part : best->parts) {
            if (part == ".") continue;
            if (part != "..") {
                kept.push_back(std::move(part));
            } else if (kept.empty()) {
                throw Failure("un chemin qui sort du dossier o\u00F9 il se trouve : " + best->shown);
            } else {
                kept.pop_back();
            }
        }
        best->parts = std::move(kept);
        return best;
    }

    Place heldPlace(const std::wstring& path) const {
        std::optional<Place> found = place(path);
        if (!found)
            throw Failure(literal(path) + " n'est dans aucun dossier que l'ex\u00E9cution tient ouvert");
        return *found;
    }

    /// The descriptor of the folder made of the first `count` components of `place`, opened from its
    /// parent's descriptor without following a link, or -1 with errno set.
    int folder(const Place& place, std::size_t count) {
        if (count == 0) return roots[place.root].fd;
        const FolderKey key{place.root, joined(place.parts, count)};
        if (const auto known = open.find(key); known != open.end()) return known->second;
        const int parent = folder(place, count - 1);
        if (parent < 0) return -1;
        const int fd = openFolderAt(parent, place.parts[count - 1]);
        if (fd < 0) return -1;
        open.emplace(key, fd);
        return fd;
    }

    /// Called as each call begins, never during one, so that no descriptor a call is using goes.
    void trim() {
        lastSpelled.reset();
        if (open.size() < kMostOpenFolders) return;
        for (const auto& [key, fd] : open) ::close(fd);
        open.clear();
    }

    /// The folder that holds the last component of `place`; throws Failure naming why it cannot be
    /// reached.
    int parentOf(const Place& place) {
        if (place.parts.empty())
            throw Failure("un dossier tenu ouvert n'est pas un fichier : " + place.shown);
        const int fd = folder(place, place.parts.size() - 1);
        if (fd < 0) {
            const int error = errno;
            fail(error == ELOOP || error == ENOTDIR || error == EXDEV
                     ? "a link or file stands where a folder was on the way to"
                     : "impossible d'ouvrir le dossier de",
                 place.shown, error);
        }
        return fd;
    }

    /// Forgets the folder `place` names and every folder below it, closing their descriptors.
    void forgetBelow(const Place& place) {
        const std::string prefix = joined(place.parts, place.parts.size());
        for (auto it = open.begin(); it != open.end();) {
            const bool below = it->first.first == place.root &&
                               (it->first.second == prefix || it->first.second.rfind(prefix + "/", 0) == 0);
            if (below) {
                ::close(it->second);
                names.erase(it->first);
                it = open.erase(it);
            } else {
                ++it;
            }
        }
    }

    /// The name of the folder `fd` that matches `name` without regard to letter case.
    std::optional<std::string> nameInOtherLetters(const Place& place, std::size_t count, int fd,
                                                  const std::string& name) {
        const FolderKey key{place.root, joined(place.parts, count)};
        auto known = names.find(key);
        if (known == names.end()) known = names.emplace(key, listNames(fd)).first;
        const auto match = known->second.find(foldedKey(fromUtf8(name)));
        if (match == known->second.end()) return std::nullopt;
        return match->second;
    }

    static std::map<std::wstring, std::string> listNames(int fd) {
        std::map<std::wstring, std::string> byLetters;
        const int listing = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (listing < 0) return byLetters;
        DIR* directory = ::fdopendir(listing);
        if (directory == nullptr) {
            ::close(listing);
            return byLetters;
        }
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::wstring wide = fromUtf8(name);
            // A name that is not UTF-8 has no wide spelling to compare with.
            if (toUtf8(wide) != name) continue;
            auto [slot, added] = byLetters.emplace(foldedKey(wide), name);
            if (!added && name < slot->second) slot->second = name;
        }
        ::closedir(directory);
        return byLetters;
    }

    /// Keeps the letter-case index of the folder of `place` in step with a name the run made or removed.
    void noteName(const Place& place, bool made) {
        const auto known = names.find({place.root, joined(place.parts, place.parts.size() - 1)});
        if (known == names.end()) return;
        const std::string& name = place.parts.back();
        const std::wstring key = foldedKey(fromUtf8(name));
        if (made) {
            auto [slot, added] = known->second.emplace(key, name);
            if (!added && name < slot->second) slot->second = name;
        } else if (const auto slot = known->second.find(key);
                   slot != known->second.end() && slot->second == name) {
            known->second.erase(slot);
        }
    }

    /// Creates the file of `place` afresh for writing: whatever file or link was there goes first, so
    /// nothing is ever written through a link.
    int createFresh(const Place& place) {
        const int parent = parentOf(place);
        const std::string& name = place.parts.back();
        // Read as well as written: a checked copy digests the staged bytes as they were written.
        constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
        int fd = ::openat(parent, name.c_str(), kFlags, 0600);
        if (fd < 0 && errno == EEXIST) {
            if (::unlinkat(parent, name.c_str(), 0) != 0) fail("impossible de retirer", place.shown, errno);
            fd = ::openat(parent, name.c_str(), kFlags, 0600);
        }
        if (fd < 0) fail("impossible de cr\u00E9er", place.shown, errno);
        noteName(place, true);
        return fd;
    }
};

HeldFolderFiles::HeldFolderFiles() : m_folders(std::make_unique<Folders>()) {}

HeldFolderFiles::~HeldFolderFiles() = default;

void HeldFolderFiles::holdFolder(const std::wstring& folder) {
    const std::string given = literal(folder);
    const std::string spelled = literal(programPath(mapPath(folder)));
    for (const Folders::Root& root : m_folders->roots) {
        if (std::find(root.keys.begin(), root.keys.end(), spelled) != root.keys.end()) return;
    }
    const int fd = ::open(spelled.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) fail("impossible d'ouvrir le dossier", spelled, errno);
    Folders::Root root{fd, spelled, {given, spelled}};
    char real[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (const ssize_t length = ::readlink(self.c_str(), real, sizeof real - 1); length > 0)
        root.keys.emplace_back(real, static_cast<std::size_t>(length));
    m_folders->roots.push_back(std::move(root));
}

NodeKind HeldFolderFiles::kindOf(const std::wstring& path) {
    // The plan asks what stands at each name it has just spelled: that was seen then.
    if (const auto seen = m_folders->lastSpelled; seen && seen->first == literal(path)) {
        m_folders->lastSpelled.reset();
        return seen->second;
    }
    m_folders->trim();
    try {
        const std::optional<Folders::Place> place = m_folders->place(path);
        if (!place) return kindNoFollow(mapPath(path));
        if (place->parts.empty()) return NodeKind::Folder;
        const int parent = m_folders->folder(*place, place->parts.size() - 1);
        if (parent < 0) return errno == ELOOP || errno == EXDEV ? NodeKind::Other : NodeKind::Missing;
        struct stat st {};
        if (::fstatat(parent, place->parts.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return NodeKind::Missing;
        return kindOfMode(st.st_mode);
    } catch (const std::exception&) {
        return NodeKind::Other;
    }
}

std::wstring HeldFolderFiles::spell(const std::wstring& path) {
    m_folders->trim();
    std::optional<Folders::Place> place = m_folders->place(path);
    if (!place) return programPath(spelledAsStored(mapPath(path)));
    std::string text = m_folders->roots[place->root].spelled;
    bool looking = true;
    std::optional<NodeKind> lastKind = place->parts.empty() ? std::optional(NodeKind::Folder) : std::nullopt;
    for (std::size_t i = 0; i < place->parts.size(); ++i) {
        std::string& part = place->parts[i];
        if (looking) {
            const int fd = m_folders->folder(*place, i);
            struct stat st {};
            std::optional<NodeKind> kind;
            if (fd < 0) {
                looking = false;
            } else if (::fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                kind = kindOfMode(st.st_mode);
            } else if (const auto stored = m_folders->nameInOtherLetters(*place, i, fd, part)) {
                part = *stored;
                kind = ::fstatat(fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? kindOfMode(st.st_mode)
                                                                                  : NodeKind::Missing;
            } else {
                kind = NodeKind::Missing;
            }
            looking = kind == NodeKind::Folder;
            if (i + 1 == place->parts.size()) lastKind = kind;
        }
        if (text != "/") text += "/";
        text += part;
    }
    if (lastKind) m_folders->lastSpelled.emplace(text, *lastKind);
    return fromUtf8(text);
}

std::wstring HeldFolderFiles::realPath(const std::wstring& path) {
    return programPath(realLocation(mapPath(path)));
}

bool HeldFolderFiles::nameFits(const std::wstring& name) { return nameFitsSystem(name); }

std::uint64_t HeldFolderFiles::copyFile(const std::wstring& source, const std::wstring& installed,
                                        const std::wstring& staged, CopyCheck* check) {
    m_folders->trim();
    struct stat sourceStat {};
    int in = -1;
    const std::optional<Folders::Place> from = m_folders->place(source);
    if (from) {
        const int folder = m_folders->parentOf(*from);  // first: it refuses a path with no name
        in = openRegularAt(folder, from->parts.back(), from->shown, sourceStat);
    } else {
        const std::string mapped = mapPath(source).string();
        in = openRegularAt(AT_FDCWD, mapped, mapped, sourceStat);
    }
    Descriptor input(in);
    const Folders::Place target = m_folders->heldPlace(installed);
    struct stat installedStat {};
    const int targetFolder = m_folders->parentOf(target);
    const bool replacing =
        ::fstatat(targetFolder, target.parts.back().c_str(), &installedStat, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(installedStat.st_mode);
    const Folders::Place place = m_folders->heldPlace(staged);
    Descriptor out(m_folders->createFresh(place));
    try {
        const std::uint64_t copied =
            check ? copyChecked(input.get(), out.get(), *check, literal(source), place.shown)
                  : copyContent(input.get(), out.get(), literal(source), place.shown);
        // Only a privileged user may give a file away; anyone else keeps the file as their own.
        if (replacing && ::fchown(out.get(), installedStat.st_uid, installedStat.st_gid) != 0 &&
            errno != EPERM)
            fail("impossible de fixer le propri\u00E9taire de", place.shown, errno);
        const mode_t mode = replacing ? installedStat.st_mode & 07777 : sourceStat.st_mode & 0777;
        if (::fchmod(out.get(), mode) != 0) fail("impossible de fixer les droits de", place.shown, errno);
        if (const int closeError = out.release(); closeError != 0)
            fail("impossible de fermer", place.shown, closeError);
        return copied;
    } catch (...) {
        ::unlinkat(m_folders->parentOf(place), place.parts.back().c_str(), 0);
        m_folders->noteName(place, false);
        throw;
    }
}

void HeldFolderFiles::writeFile(const std::wstring& path, const std::string& bytes) {
    m_folders->trim();
    const Folders::Place place = m_folders->heldPlace(path);
    Descriptor out(m_folders->createFresh(place));
    try {
        writeAll(out.get(), bytes.data(), bytes.size(), place.shown);
        if (::fchmod(out.get(), 0666 & ~currentUmask()) != 0)
            fail("impossible de fixer les droits de", place.shown, errno);
        if (const int closeError = out.release(); closeError != 0)
            fail("impossible de fermer", place.shown, closeError);
    } catch (...) {
        ::unlinkat(m_folders->parentOf(place), place.parts.back().c_str(), 0);
        m_folders->noteName(place, false);
        throw;
    }
}

std::optional<std::string> HeldFolderFiles::readFile(const std::wstring& path, std::size_t limit) {
    m_folders->trim();
    const std::optional<Folders::Place> place = m_folders->place(path);
    const std::string shown = place ? place->shown : mapPath(path).string();
    const int folder = place ? m_folders->parentOf(*place) : AT_FDCWD;
    const std::string name = place ? place->parts.back() : shown;
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("impossible d'examiner", shown, errno);
    }
    Descriptor fd(openRegularAt(folder, name, shown, st));
    if (static_cast<std::uint64_t>(st.st_size) > limit)
        throw Failure("plus de " + std::to_string(limit) + " octets dans " + shown);
    // Read to the end all the same, up to the bound, in case the file grows meanwhile.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > limit)
                throw Failure("plus de " + std::to_string(limit) + " octets dans " + shown);
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const std::size_t count = readSome(fd.get(), bytes.data() + filled, bytes.size() - filled, shown);
        if (count == 0) break;
        filled += count;
    }
    if (filled > limit) throw Failure("plus de " + std::to_string(limit) + " octets dans " + shown);
    bytes.resize(filled);
    return bytes;
}

void HeldFolderFiles::flushFiles(const std::vector<std::wstring>& paths) {
    m_folders->trim();
    // One flush of each file system that holds the files writes them all back together, at the cost of
    // about one flush rather than one per file; the files of one folder lie on its file system.
    std::set<int> folders;
    for (const std::wstring& path : paths) folders.insert(m_folders->parentOf(m_folders->heldPlace(path)));
    std::set<dev_t> flushed;
    for (const int folder : folders) {
        struct stat st {};
        if (::fstat(folder, &st) != 0)
            fail("impossible d'examiner un dossier de", "la mise \u00E0 jour", errno);
        if (!flushed.insert(st.st_dev).second) continue;
        if (::syncfs(folder) != 0)
            fail("impossible d'\u00E9crire sur le disque le syst\u00E8me de fichiers de",
                 "la mise \u00E0 jour", errno);
    }
}

void HeldFolderFiles::flushFolders(const std::vector<std::wstring>& folders) {
    m_folders->trim();
    for (const std::wstring& path : folders) {
        const Folders::Place place = m_folders->heldPlace(path);
        const int fd = m_folders->folder(place, place.parts.size());
        if (fd < 0) fail("impossible d'ouvrir le dossier", place.shown, errno);
        if (::fsync(fd) != 0) fail("impossible d'\u00E9crire sur le disque le dossier", place.shown, errno);
    }
}

void HeldFolderFiles::rename(const std::wstring& from, const std::wstring& to) {
    m_folders->trim();
    const Folders::Place source = m_folders->heldPlace(from);
    const Folders::Place target = m_folders->heldPlace(to);
    if (source.root != target.root)
        throw Failure("impossible de renommer " + source.shown + " hors de son dossier tenu ouvert");
    const int sourceFolder = m_folders->parentOf(source);
    const int targetFolder = m_folders->parentOf(target);
    if (::renameat(sourceFolder, source.parts.back().c_str(), targetFolder, target.parts.back().c_str()) != 0)
        fail("impossible de renommer " + source.shown + " vers", target.shown, errno);
    m_folders->forgetBelow(source);
    m_folders->noteName(source, false);
    m_folders->noteName(target, true);
}

void HeldFolderFiles::createFolder(const std::wstring& path) {
    m_folders->trim();
    const Folders::Place place = m_folders->heldPlace(path);
    const int parent = m_folders->parentOf(place);
    const std::string& name = place.parts.back();
    if (::mkdirat(parent, name.c_str(), 0777) == 0) {
        m_folders->noteName(place, true);
        return;
    }
    if (errno != EEXIST) fail("impossible de cr\u00E9er le dossier", place.shown, errno);
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
        fail("autre chose qu'un dossier se trouve en", place.shown, EEXIST);
}

void HeldFolderFiles::removeFolder(const std::wstring& path) {
    m_folders->trim();
    const Folders::Place place = m_folders->heldPlace(path);
    const int parent = m_folders->parentOf(place);
    m_folders->forgetBelow(place);
    if (::unlinkat(parent, place.parts.back().c_str(), AT_REMOVEDIR) != 0)
        fail("impossible de supprimer le dossier", place.shown, errno);
    m_folders->noteName(place, false);
}

void HeldFolderFiles::removeFile(const std::wstring& path) {
    m_folders->trim();
    const Folders::Place place = m_folders->heldPlace(path);
    const int parent = m_folders->parentOf(place);
    // Without AT_REMOVEDIR the system never removes a folder, and removes a link itself.
    if (::unlinkat(parent, place.parts.back().c_str(), 0) != 0)
        fail(errno == EISDIR ? "refus de supprimer le dossier" : "impossible de supprimer", place.shown,
             errno);
    m_folders->noteName(place, false);
}

// A file's mode never stops its removal here, as the system's own deletion has it.
void HeldFolderFiles::removeShippedFile(const std::wstring& path) { removeFile(path); }

// A rename never waits for the programs that hold a file open: they keep the content they opened.
bool HeldFolderFiles::heldByAnotherProgram(const std::wstring&) { return false; }

bool systemRefusesPlantedLinks() {
    // Set by the administrator for the whole system: a program can only look.
    std::ifstream setting("/proc/sys/fs/protected_symlinks");
    int value = 0;
    return setting >> value && value == 1;
}

void HeldFolderFiles::releaseAll() { m_folders->closeAll(); }

}  // namespace setup
