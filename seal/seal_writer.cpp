#include "seal/seal_writer.h"

#include <set>

#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/system_path.h"
#include "platform/text_codec.h"
#include "seal/file_digests.h"
#include "seal/seal_format.h"

namespace setup {

std::vector<SealedFile> digestUpdateFiles(const std::wstring& updateFolder,
                                          const std::vector<std::wstring>& copiedNames) {
    std::vector<SealedFile> files;
    std::vector<SystemPath> paths;
    std::set<std::wstring> keys;
    for (const std::wstring& name : copiedNames) {
        if (!keys.insert(sealNameKey(name)).second) continue;
        files.push_back({name, {}});
        paths.push_back(mapPath(updateFolder + L"\\" + name));
    }
    const std::vector<std::optional<Sha256Digest>> digests = digestFiles(paths);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!digests[i]) throw Failure("impossible de lire " + toUtf8(files[i].name));
        files[i].digest = *digests[i];
    }
    return files;
}

std::string sealText(const std::vector<SealedFile>& files) {
    std::string text;
    for (const SealedFile& file : files) text += formatSealLine(file.digest, file.name);
    return text;
}

void writeSeal(const std::wstring& updateFolder, const std::vector<SealedFile>& files) {
    replaceFileAtomically(mapPath(updateFolder + L"\\" + std::wstring(kSealFileName)), sealText(files));
}

}  // namespace setup
