#pragma once

#include <cstdint>
#include <string>

namespace setup {

/// A file number as handed out by Runtime::freeFileNumber (1 and up).
using FileNumber = std::int16_t;

/// Message box styles and answers used by the program.
namespace box {
inline constexpr int kCritical = 16;        ///< stop icon, OK
inline constexpr int kExclamation = 48;     ///< exclamation icon, OK
inline constexpr int kQuestionOkCancel = 33;  ///< question icon, OK and Cancel
inline constexpr int kQuestionYesNo = 36;   ///< question icon, Yes and No
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
    /// Copies `source` to `destination`; the previous destination stays whole if the copy fails.
    virtual void copyFile(const std::wstring& source, const std::wstring& destination) = 0;

    /// Shows a modal message box and answers the button pressed (box::kOk, kCancel, kYes, kNo).
    virtual int messageBox(const std::wstring& text, int style, const std::wstring& title) = 0;
    /// Handles every window message already queued, then returns.
    virtual void processPendingMessages() = 0;
    /// Ends the program at once with `exitStatus`; open files are closed.
    [[noreturn]] virtual void endProgram(int exitStatus) = 0;
};

}  // namespace setup
