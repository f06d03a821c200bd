#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

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

/// The first problem of sealProblems, without reading any file when one is found before the reading;
/// nullopt when the folder holds no seal or the seal matches every file.
std::optional<SealProblem> firstSealProblem(const std::wstring& updateFolder,
                                            const std::vector<std::wstring>& copiedNames);

}  // namespace setup
