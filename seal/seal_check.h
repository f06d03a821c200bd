#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_digest.h"

namespace setup {

/// What is wrong with a sealed update.
enum class SealProblemKind {
    Damaged,         ///< the file's digest differs from its seal line (changed, cut short)
    Missing,         ///< the file the list copies is not in the update folder
    Unreadable,      ///< the file is there but cannot be read to its end
    NotSealed,       ///< the list copies a file the seal does not name
    NotCopied,       ///< the seal names a file the list does not copy (the list lost an entry)
    SealUnreadable,  ///< the seal is there but cannot be read
    SealMalformed,   ///< a line of the seal is not in the format sha256sum reads
};

/// One problem, with the file it concerns and its line in the seal where it has one.
struct SealProblem {
    SealProblemKind kind = SealProblemKind::Damaged;
    std::wstring name;  ///< the file as the list or the seal names it; the seal's name for its own kinds
    std::size_t sealLine = 0;  ///< the seal's line, 0 when the seal names no line for it
};

/// Every problem of the seal of `updateFolder` against the files the list copies (`copiedNames`, as the
/// copy uses them, in the list's order): the seal's own problem alone when it cannot be read or is
/// malformed; else the files not sealed, missing and not copied, then the files damaged or unreadable,
/// each in its order. None when the folder holds no seal. Names that lead out of the folder are left to
/// the copy, which refuses them. Reads every sealed file.
std::vector<SealProblem> sealProblems(const std::wstring& updateFolder,
                                      const std::vector<std::wstring>& copiedNames);

/// A file the seal vouches for, as the copy is to find it.
struct SealedContent {
    std::wstring name;  ///< as the list names it first
    Sha256Digest digest{};
    std::uint64_t size = 0;  ///< its size in the update folder when the seal was read
};

/// What the seal says of the files the copy is to copy, read without reading any of them: the first
/// problem that needs no file's bytes (the seal itself, a name not sealed, a file missing, a line not
/// copied), or each sealed file once. Nothing when the folder holds no seal. The digests are the copy's
/// to compare, with the bytes it stages.
struct SealedContents {
    std::optional<SealProblem> problem;
    std::vector<SealedContent> files;
};
SealedContents sealedContents(const std::wstring& updateFolder, const std::vector<std::wstring>& copiedNames);

}  // namespace setup
