#pragma once

#include <optional>
#include <string>

#include "check/list_analysis.h"
#include "check/seal_command.h"

namespace setup::check {

/// Writes a fresh key pair: `name`.key, the private key, readable by its owner alone where the system
/// has modes, and `name`.pub, the public key. Refuses, writing nothing, when either file exists. Throws
/// Failure.
SealOutcome writeNewKey(const std::wstring& name);

/// Seals the update as sealUpdate does, then signs it with the private key in `keyFile`: writes the
/// statement setup.signed (the list's digest, the versions it records, each copied file's name, size and
/// digest, and the public key of `nextKeyFile` when given) and its signature setup.sig. Status as
/// sealUpdate's. Throws Failure when a key or a file cannot be read or written.
SealOutcome signUpdate(const ListAnalysis& analysis, const std::wstring& keyFile,
                       const std::optional<std::wstring>& nextKeyFile, bool strict);

/// Makes the installation `installDir` trust the public key in `publicKeyFile`: writes its trust file
/// with that key, keeping the highest versions an earlier trust file recorded. Throws Failure.
SealOutcome trustKey(const std::wstring& publicKeyFile, const std::wstring& installDir);

}  // namespace setup::check
