#pragma once

#include <exception>
#include <string>

#include "platform/file_holders.h"
#include "platform/file_services.h"
#include "platform/host.h"
#include "platform/list_files.h"

namespace setup {

/// What a run works with besides its host: the list's files by number, the file services over the folders
/// it holds and the installation's lock. Paths are texts with "\" (or "/") separators; every failing
/// operation throws Failure.
class Runtime : public ListFiles {
  public:
    explicit Runtime(Host& host) : m_host(host) {}

    /// Where the run's messages go and what ends the process.
    Host& host() { return m_host; }

    /// True when `path` names an existing folder, or a link to one; never throws.
    virtual bool folderExists(const std::wstring& path) = 0;
    /// The file services every change of the run goes through, over the folders it holds.
    virtual FileServices& files() = 0;
    /// Who holds the files another program keeps open, as the system tells it.
    virtual FileHolderFinder& fileHolders() = 0;

    /// Takes the exclusive lock that keeps a second run off the installation `folder` until the program
    /// ends (the system releases it if the process dies). False when another process holds it. Throws
    /// ForeignLockFile when something not the program's own stands at the lock file's name, Failure when
    /// the lock cannot be taken for another reason.
    virtual bool lockInstallation(const std::wstring& folder) = 0;

    /// Lets go of every open file, held folder and the lock, then ends the process through the host.
    [[noreturn]] void endProgram(int exitStatus) {
        releaseAll();
        m_host.endProgram(exitStatus);
        // A host whose end of the program came back would let the run resume after its last step.
        std::terminate();
    }

  protected:
    /// Closes every open file number, lets every held folder go and gives up the installation's lock.
    virtual void releaseAll() = 0;

  private:
    Host& m_host;
};

}  // namespace setup
