#include "tests/support/tree_snapshot.h"

#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace setup::test {

namespace fs = std::filesystem;

Tree snapshotTree(const fs::path& folder) {
    Tree tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string relative = it->path().lexically_relative(folder).generic_string();
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        if (S_ISDIR(st.st_mode)) {
            tree[relative] = "<folder>";
        } else if (S_ISLNK(st.st_mode)) {
            tree[relative] = "<link> " + fs::read_symlink(it->path()).string();
        } else {
            tree[relative] = readFile(it->path()) + "|mode " + std::to_string(st.st_mode & 07777) +
                             " owner " + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid);
        }
    }
    return tree;
}

std::ostream& operator<<(std::ostream& out, const InstallationState& state) {
    auto print = [&out](const char* heading, const Tree& tree) {
        out << heading << ":";
        for (const auto& [name, content] : tree) out << " " << name << "(" << content.size() << ")";
        out << "\n";
    };
    print("installation", state.installation);
    print("windows", state.windows);
    return out;
}

}  // namespace setup::test
