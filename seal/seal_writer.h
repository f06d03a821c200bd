#pragma once

#include <string>
#include <vector>

#include "platform/file_digest.h"

namespace setup {

/// A file of the update and its digest, as a seal line records it.
struct SealedFile {
    std::wstring name;
    Sha256Digest digest{};
};

/// The digest of each file `copiedNames` names in `updateFolder`, in their order, a file named twice (in
/// any spelling the copy takes for the same file) once under its first name. Throws Failure naming the
/// first file that cannot be read.
std::vector<SealedFile> digestUpdateFiles(const std::wstring& updateFolder,
                                          const std::vector<std::wstring>& copiedNames);

/// The seal's bytes for `files`: one line each, in their order.
std::string sealText(const std::vector<SealedFile>& files);

/// Writes the seal of `files` beside the list in `updateFolder`, replacing any seal there in one step.
/// Throws Failure.
void writeSeal(const std::wstring& updateFolder, const std::vector<SealedFile>& files);

}  // namespace setup
