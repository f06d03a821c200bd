#include "tests/support/tree_snapshot.h"

#include "tests/support/file_metadata.h"
#include "tests/support/temp_dir.h"

namespace setup::test {

namespace fs = std::filesystem;

Tree snapshotTree(const fs::path& folder) {
    Tree tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string relative = it->path().lexically_relative(folder).generic_string();
        const fs::file_type type = fs::symlink_status(it->path(), error).type();
        if (type == fs::file_type::directory) {
            tree[relative] = "<folder>";
        } else if (type == fs::file_type::symlink) {
            tree[relative] = "<link> " + fs::read_symlink(it->path(), error).string();
        } else {
            tree[relative] = readFile(it->path()) + "|" + fileMetadata(it->path());
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
