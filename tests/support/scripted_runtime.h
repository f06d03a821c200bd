#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/file_runtime.h"

namespace setup::test {

/// Thrown by ScriptedRuntime::endProgram. It derives from no std::exception, so no failure trap of the
/// program catches it and it reaches the test that started the run.
struct ProgramEnded {
    int exitStatus;
};

/// One message box as the program showed it.
struct ShownMessage {
    std::wstring text;
    std::wstring title;
    int style;
    bool operator==(const ShownMessage&) const = default;
};

/// The real file services on temporary folders, with the window services scripted: message boxes are
/// answered from a script (the default button when the script is empty), actions run at chosen
/// pending-message points, the end of the program throws ProgramEnded. Every call is recorded.
class ScriptedRuntime : public FileRuntime {
  public:
    explicit ScriptedRuntime(const std::wstring& programDirectory);

    /// Answers for the next message boxes, in order.
    std::deque<int> answers;
    /// When true every deletion fails, as on a write-protected folder.
    bool refuseDeletions = false;
    /// Faults of the file services: the n-th staging copy, rename or flush (1-based) fails.
    int failStageCopyAt = 0;
    int failRenameAt = 0;
    int failFlushAt = 0;
    /// The error a failing staging copy reports (a full disk by default).
    std::string stageCopyError = "No space left on device";
    /// Called with the line of each call that changes files (stage, write, flush, rename, delete) before
    /// it is made; a test stops the process there to play a crash at that very point.
    std::function<void(const std::wstring& call)> beforeFileChange;
    /// Actions to run at the n-th processing of pending messages (1-based), e.g. a press of a button.
    std::map<int, std::function<void()>> atPendingPoint;

    /// Called with each message box as it is shown, before it is answered.
    std::function<void(const ShownMessage&)> onMessage;
    /// Every message box shown, in order.
    std::vector<ShownMessage> messages;
    /// Every staging copy made, as (source, installed destination).
    std::vector<std::pair<std::wstring, std::wstring>> copies;
    /// Every deletion that removed a file.
    std::vector<std::wstring> deletions;
    /// Every call made, in order, as a short line ("open 1 path", "read 1", "copy a -> b", "box title", ...).
    std::vector<std::wstring> calls;
    /// How many times pending messages were processed.
    int pendingPoints = 0;
    /// Highest number of files open at the same time.
    int mostFilesOpen = 0;

    FileNumber freeFileNumber() override;
    void openForInput(FileNumber number, const std::wstring& path) override;
    bool atEndOfFile(FileNumber number) override;
    std::wstring readEntry(FileNumber number) override;
    void close(FileNumber number) override;
    void deleteFile(const std::wstring& path) override;
    void removeOwnFile(const std::wstring& path) override;
    void stageCopy(const std::wstring& source, const std::wstring& destination,
                   const std::wstring& staged) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
    void renameFile(const std::wstring& from, const std::wstring& to) override;
    void flushFiles(const std::vector<std::wstring>& paths) override;
    void flushFolders(const std::vector<std::wstring>& folders) override;
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override;
    [[noreturn]] void endProgram(int exitStatus) override;

    /// The button a user would press by default for a style: Yes for Yes/No boxes, OK otherwise.
    static int defaultAnswer(int style);

  private:
    /// Records a call that changes files and hands it to beforeFileChange.
    void noteChange(const std::wstring& call);

    int m_filesOpen = 0;
    int m_stageCopies = 0;
    int m_renames = 0;
    int m_flushes = 0;
};

}  // namespace setup::test
