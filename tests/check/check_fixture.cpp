#include "tests/check/check_fixture.h"

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "platform/file_digest.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "tests/support/fake_windows.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_runtime.h"

namespace setup::test {

namespace {

namespace fs = std::filesystem;

/// The file services with copies and deletions recorded, not made, so that every list runs to its end: a
/// staged file is left empty, whether its source exists or not, for the commit to put in place.
class RecordingRuntime final : public ScriptedRuntime {
  public:
    using ScriptedRuntime::ScriptedRuntime;
    std::uint64_t stageCopy(const std::wstring& source, const std::wstring&, const std::wstring& staged,
                            CopyCheck* check) override {
        acted.push_back(L"copy " + source);
        realFiles().writeFile(staged, "");
        // A sealed file is taken as staged whole: its digest is the one of the bytes it would stage.
        if (check) check->digest = fileSha256(mapPath(source));
        return 0;
    }
    /// Deletions in the update folder are recorded; the update's own bookkeeping in the installation (its
    /// journal, the saved registry) is really removed, as the run needs.
    void deleteShippedFile(const std::wstring& path) override { acted.push_back(L"delete " + path); }
    std::vector<std::wstring> acted;
};

/// Directives that record the entry each pass hands them and rewrite it as the program's do, without
/// refusing anything.
class RecordingDirectives final : public Directives {
  public:
    explicit RecordingDirectives(std::vector<std::wstring>& acted) : m_acted(acted) {}

    void alert(std::wstring& entry) override { m_acted.push_back(L"alert " + warningMessage(entry).text); }
    void Version(std::wstring& entry) override {
        const VersionRange range = splitVersionRange(entry);
        m_acted.push_back(L"version " + range.section + L" " + range.lower + L" " + range.upper);
    }
    void exist(std::wstring& entry) override { m_acted.push_back(L"exist " + requiredFilePath(L"", entry)); }
    void SetVer(std::wstring& entry) override {
        const std::wstring section = takeSectionSuffix(entry);
        m_acted.push_back(L"stamp " + section + L" " + entry);
    }

  private:
    std::vector<std::wstring>& m_acted;
};

/// A copy or deletion names its file by the key two spellings of one file share: the program acts on the
/// file as the file system spells it, the checker tells the entry as the list writes it.
std::wstring byFile(const std::wstring& act) {
    for (const std::wstring verb : {L"copy ", L"delete "}) {
        if (act.starts_with(verb)) return verb + sameFileKey(act.substr(verb.size()));
    }
    return act;
}

}  // namespace

/// Runs the program on `folder` with an installation that passes any version check.
ProgramRun runProgram(const fs::path& folder, const fs::path& scratch) {
    fs::create_directories(scratch / "Kelvane");
    writeFile(scratch / "windows" / "Tamreg.reg",
              "[Kelvane]\r\nPath=" + (scratch / "Kelvane").string() + "\r\n");
    ScopedEnv windir("WINDIR", (scratch / "windows").string());
    RecordingRuntime runtime(fromUtf8(folder.string()));
    RunState state;
    FakeMainWindow form1;
    FakeProgressWindow form2;
    Session session{runtime, state, form1, form2};
    form2.attach(session);
    RecordingDirectives directives(runtime.acted);
    ProgramRun run;
    try {
        Form_Load(session, directives);
    } catch (const ProgramEnded& ended) {
        run.exitStatus = ended.exitStatus;
    }
    const std::wstring prefix = fromUtf8(folder.string());
    for (std::wstring act : runtime.acted) {
        // Each system writes its own separator after the folder the run found its files in.
        if (const auto at = act.find(prefix); at != std::wstring::npos) act.erase(at, prefix.size() + 1);
        // The list and its seal go last on every path; they are no entries.
        if (!equalIgnoringCase(act, L"delete Setup.lst") && act != L"delete setup.sum")
            run.acted.push_back(byFile(act));
    }
    return run;
}

std::vector<std::wstring> checkerActs(const check::ListAnalysis& analysis) {
    std::vector<std::wstring> acts;
    for (const check::EntryPlan& plan : analysis.entries) {
        for (const BoxMessage& warning : plan.warnings) acts.push_back(L"alert " + warning.text);
        for (const VersionRange& range : plan.ranges)
            acts.push_back(L"version " + range.section + L" " + range.lower + L" " + range.upper);
        for (const std::wstring& path : plan.requiredFiles) acts.push_back(L"exist " + path);
    }
    // The stamp pass finds the versions before the copy; the commit records them once the files are in.
    for (const check::EntryPlan& plan : analysis.entries) {
        for (const check::StampWrite& stamp : plan.stamps)
            acts.push_back(L"stamp " + stamp.section + L" " + stamp.version);
    }
    for (const check::EntryPlan& plan : analysis.entries) {
        if (plan.copied) acts.push_back(byFile(L"copy " + *plan.copied));
    }
    for (const check::EntryPlan& plan : analysis.entries) {
        if (plan.deleted) acts.push_back(byFile(L"delete " + *plan.deleted));
    }
    return acts;
}

}  // namespace setup::test
