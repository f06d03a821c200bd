#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_probe.h"

namespace setup {

/// A file number as handed out by Runtime::freeFileNumber (1 and up).
using FileNumber = std::int16_t;

/// Message box styles and answers used by the program.
namespace box {
inline constexpr int kCritical = 16;          ///< stop icon, OK
inline constexpr int kExclamation = 48;       ///< exclamation icon, OK
inline constexpr int kInformation = 64;       ///< information icon, OK
inline constexpr int kQuestionOkCancel = 33;  ///< question icon, OK and Cancel
inline constexpr int kQuestionYesNo = 36;     ///< question icon, Yes and No
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace box

/// The operating-system and windowing services the program calls. Paths are texts with "\" (or "/")
/// separators; every failing operation throws Failure.
class Runtime {
  public:
    virtual ~Runtime() = default;

    /// Directory of the running program, without a trailing separator except at the root.
    virtual std::wstring programDirectory() = 0;
    /// Lowest file number not in use.
    virtual FileNumber freeFileNumber() = 0;
    /// Opens an existing regular file for sequential reading under `number`.
    virtual void openForInput(FileNumber number, const std::wstring& path) = 0;
    /// True when nothing remains to be read from `number`.
    virtual bool atEndOfFile(FileNumber number) = 0;
    /// Reads the next entry of the update list open under `number`.
    virtual std::wstring readEntry(FileNumber number) = 0;
    /// Closes `number`; the number becomes free again.
    virtual void close(FileNumber number) = 0;
    /// True when `path` names an existing folder; never throws.
    virtual bool folderExists(const std::wstring& path) = 0;
    /// Removes a file; an absent file or a directory is a failure.
    virtual void deleteFile(const std::wstring& path) = 0;
    /// `path` as the file system spells it: each existing component under the name it was found by (an
    /// exact match first, then one without regard to letter case); missing components as given.
    ///
    /// The methods below take their paths as resolvePath answers them, or such a path with a name of the
    /// program's own appended: literally, without looking any name up (the source of stageCopy excepted).
    virtual std::wstring resolvePath(const std::wstring& path) = 0;
    /// Copies the regular file `source` into `staged`, a new file beside the installed file `destination`,
    /// which stays untouched. Missing folders are created; a file left at `staged` is replaced. The staged
    /// file gets the mode and owner of `destination` when that is a regular file, else the source's
    /// permission bits. Not flushed. A failed copy leaves nothing at `staged`.
    virtual void stageCopy(const std::wstring& source, const std::wstring& destination,
                           const std::wstring& staged) = 0;
    /// Writes `bytes` as the whole content of `path`, replacing any file there; not flushed.
    virtual void writeFile(const std::wstring& path, const std::string& bytes) = 0;
    /// The content of the regular file at `path`; nullopt when nothing is there.
    virtual std::optional<std::string> readFile(const std::wstring& path) = 0;
    /// Brings the content of every file of `paths` to stable storage, at about the cost of one flush.
    virtual void flushFiles(const std::vector<std::wstring>& paths) = 0;
    /// Brings the entries of each folder of `folders` (creations, renames, removals) to stable storage.
    virtual void flushFolders(const std::vector<std::wstring>& folders) = 0;
    /// Removes a file the update made or moved aside itself (a staged copy, a replaced file, its journal),
    /// a read-only one too; an absent file or a folder is a failure.
    virtual void removeOwnFile(const std::wstring& path) = 0;
    /// Renames `from` to `to` in one step, replacing a file at `to`; both lie on the same file system. On
    /// a failure both are as they were.
    virtual void renameFile(const std::wstring& from, const std::wstring& to) = 0;
    /// Creates the folder `path`, whose parent exists; a folder already there is no failure.
    virtual void createFolder(const std::wstring& path) = 0;
    /// Removes the empty folder `path`; a folder that holds anything is a failure.
    virtual void removeFolder(const std::wstring& path) = 0;
    /// What is at `path`; never follows a link and never fails.
    virtual EntryType entryKind(const std::wstring& path) = 0;
    /// `path` with every link among its existing components resolved; the rest as given. Never fails.
    virtual std::wstring realPath(const std::wstring& path) = 0;
    /// True when `name`, one component, is within the system's limit for a name.
    virtual bool nameFits(const std::wstring& name) = 0;
    /// True when anything, a link included, is at `path`; never follows a link and never fails.
    virtual bool exists(const std::wstring& path) = 0;

    /// Takes the exclusive lock that keeps a second run off the installation `folder` until the program
    /// ends (the system releases it if the process dies). False when another process holds it. Throws
    /// Failure when the lock cannot be taken for another reason.
    virtual bool lockInstallation(const std::wstring& folder) = 0;

    /// Records one event of the run for an administrator's log; does nothing where no log was asked for.
    virtual void logEvent(const std::wstring& event) { (void)event; }
    /// Shows a modal message box and answers the button pressed (box::kOk, kCancel, kYes, kNo).
    virtual int messageBox(const std::wstring& text, int style, const std::wstring& title) = 0;
    /// Handles every window message already queued, then returns.
    virtual void processPendingMessages() = 0;
    /// Ends the program at once with `exitStatus`; open files are closed.
    [[noreturn]] virtual void endProgram(int exitStatus) = 0;
};

}  // namespace setup
