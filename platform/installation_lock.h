#pragma once

#include <memory>

#include "platform/failure.h"
#include "platform/program_files.h"
#include "platform/system_path.h"

namespace setup {

/// Thrown when something other than the program's own regular file stands at the lock file's name (a
/// link, a folder, a pipe, a device): the program neither takes it as its lock nor removes it.
class ForeignLockFile : public Failure {
  public:
    using Failure::Failure;
};

/// An exclusive system lock on an installation's lock file, held by one process at a time. The system
/// releases it when the process ends, however it ends, so a run that dies never leaves it held.
class InstallationLock {
  public:
    virtual ~InstallationLock() = default;
};

/// Takes the lock of the installation `folder` (a file-system path), creating its lock file, and holds it
/// until the answer is destroyed, which removes the lock file first. Null when another holder has it, in
/// this process or another. Throws ForeignLockFile when anything but a regular file stands at the lock
/// file's name, Failure when the lock cannot be taken for another reason (a folder that cannot be written).
std::unique_ptr<InstallationLock> takeInstallationLock(const SystemPath& folder);

}  // namespace setup
