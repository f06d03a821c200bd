#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_services.h"

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

/// The operating-system and windowing services the program calls: the list's file numbers, the file
/// services, the installation's lock and the host (message boxes, pending messages, the end of the
/// program). Paths are texts with "\" (or "/") separators; every failing operation throws Failure.
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
    /// True when `path` names an existing folder, or a link to one; never throws.
    virtual bool folderExists(const std::wstring& path) = 0;
    /// The file services every change of the run goes through, over the folders it holds.
    virtual FileServices& files() = 0;

    /// Takes the exclusive lock that keeps a second run off the installation `folder` until the program
    /// ends (the system releases it if the process dies). False when another process holds it. Throws
    /// ForeignLockFile when something not the program's own stands at the lock file's name, Failure when
    /// the lock cannot be taken for another reason.
    virtual bool lockInstallation(const std::wstring& folder) = 0;

    /// Records one event of the run for an administrator's log; does nothing where no log was asked for.
    virtual void logEvent(const std::wstring& event) { (void)event; }
    /// Told of each file the update staged, with the bytes it holds, for the log and the progress a
    /// window-less run shows.
    virtual void fileStaged(const std::wstring& source, const std::wstring& target, std::uint64_t bytes) {
        (void)source, (void)target, (void)bytes;
    }
    /// Shows a modal message box and answers the button pressed (box::kOk, kCancel, kYes, kNo).
    virtual int messageBox(const std::wstring& text, int style, const std::wstring& title) = 0;
    /// Handles every window message already queued, then returns.
    virtual void processPendingMessages() = 0;
    /// Ends the program at once with `exitStatus`; open files are closed.
    [[noreturn]] virtual void endProgram(int exitStatus) = 0;
};

}  // namespace setup
