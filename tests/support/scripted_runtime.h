#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
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

/// The real file services on temporary folders inside a scripted host of their own: message boxes are
/// answered from a script (the default button when the script is empty), actions run at chosen
/// pending-message points, the end of the program throws ProgramEnded. Every call is recorded.
class ScriptedRuntime : public Host, public FileRuntime, public FileHolderFinder {
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

    /// Files another program holds, besides those the system finds held; the programs the finder names
    /// (unset: the system's finder); the wait for them (unset: a person is asked) and the seconds waited,
    /// each of which passes at once.
    std::set<std::wstring> heldFiles;
    std::function<std::vector<FileHolder>(const std::vector<std::wstring>& paths)> holders;
    std::optional<int> heldFilesWait;
    int secondsWaited = 0;

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
    /// The real file services on the folders the run holds, with every change going through the calls
    /// below, where the faults above are played.
    FileServices& files() override { return m_scripted; }
    /// The real file services themselves, which no fault reaches.
    FileServices& realFiles() { return FileRuntime::files(); }

    /// The calls of the file services that tests script; each makes the change through realFiles().
    virtual void deleteFile(const std::wstring& path);
    /// As deleteFile, for the update folder's own files, which a read-only mode keeps on Windows.
    virtual void deleteShippedFile(const std::wstring& path);
    virtual std::uint64_t stageCopy(const std::wstring& source, const std::wstring& destination,
                                    const std::wstring& staged, CopyCheck* check = nullptr);
    virtual void writeFile(const std::wstring& path, const std::string& bytes);
    virtual void renameFile(const std::wstring& from, const std::wstring& to);
    virtual void flushFiles(const std::vector<std::wstring>& paths);
    virtual void flushFolders(const std::vector<std::wstring>& folders);
    /// Every event the run logged, in order.
    std::vector<std::wstring> events;
    void logEvent(const std::wstring& event) override { events.push_back(event); }
    int messageBox(const std::wstring& text, int style, const std::wstring& title) override;
    void processPendingMessages() override;
    FileHolderFinder& fileHolders() override { return *this; }
    std::vector<FileHolder> holdersOf(const std::vector<std::wstring>& paths) override {
        return holders ? holders(paths) : FileRuntime::fileHolders().holdersOf(paths);
    }
    std::optional<int> heldFilesWaitSeconds() override { return heldFilesWait; }
    void waitOneSecond() override { ++secondsWaited; }
    [[noreturn]] void endProgram(int exitStatus) override;

    /// The button a user would press by default for a style: Yes for Yes/No boxes, OK otherwise.
    static int defaultAnswer(int style);

  private:
    /// The file services the run sees: reads go to the real ones, changes to the scripted calls above.
    class ScriptedFiles final : public FileServices {
      public:
        explicit ScriptedFiles(ScriptedRuntime& runtime) : m_runtime(runtime) {}
        void holdFolder(const std::wstring& folder) override { real().holdFolder(folder); }
        NodeKind kindOf(const std::wstring& path) override { return real().kindOf(path); }
        std::wstring spell(const std::wstring& path) override { return real().spell(path); }
        std::wstring realPath(const std::wstring& path) override { return real().realPath(path); }
        bool nameFits(const std::wstring& name) override { return real().nameFits(name); }
        std::uint64_t copyFile(const std::wstring& source, const std::wstring& installed,
                               const std::wstring& staged, CopyCheck* check = nullptr) override {
            return m_runtime.stageCopy(source, installed, staged, check);
        }
        void writeFile(const std::wstring& path, const std::string& bytes) override {
            m_runtime.writeFile(path, bytes);
        }
        std::optional<std::string> readFile(const std::wstring& path, std::size_t limit) override {
            return real().readFile(path, limit);
        }
        void flushFiles(const std::vector<std::wstring>& paths) override { m_runtime.flushFiles(paths); }
        void flushFolders(const std::vector<std::wstring>& folders) override {
            m_runtime.flushFolders(folders);
        }
        void rename(const std::wstring& from, const std::wstring& to) override {
            m_runtime.renameFile(from, to);
        }
        void createFolder(const std::wstring& path) override { real().createFolder(path); }
        void removeFolder(const std::wstring& path) override { real().removeFolder(path); }
        void removeFile(const std::wstring& path) override { m_runtime.deleteFile(path); }
        void removeShippedFile(const std::wstring& path) override { m_runtime.deleteShippedFile(path); }
        bool heldByAnotherProgram(const std::wstring& path) override {
            return m_runtime.heldFiles.contains(path) || real().heldByAnotherProgram(path);
        }

      private:
        FileServices& real() { return m_runtime.realFiles(); }
        ScriptedRuntime& m_runtime;
    };

    /// Records a call that changes files and hands it to beforeFileChange.
    void noteChange(const std::wstring& call);

    ScriptedFiles m_scripted{*this};

    int m_filesOpen = 0;
    int m_stageCopies = 0;
    int m_renames = 0;
    int m_flushes = 0;
};

}  // namespace setup::test
