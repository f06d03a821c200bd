// The power goes at every step of an update, and at every step of the recovery that follows: the next
// start always finds the installation and the registry as they were, or as the update makes them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "staging/staged_update.h"
#include "tests/staging/sample_update.h"

namespace setup::test {
namespace {

/// The machine going dark. No failure trap of the program catches it: it derives from no std::exception.
struct PowerCut {};

/// Where the power goes: just before the change numbered `change` (from 0) takes effect, or just after.
struct CutPoint {
    std::size_t change;
    bool afterEffect;
};

/// Makes the change at `point`, counted from now, and every later one throw PowerCut.
void cutPowerAt(MemoryFiles& files, CutPoint point) {
    const std::size_t base = files.changeCount();
    auto dark = std::make_shared<bool>(false);
    files.watch([&files, point, base, dark](const std::wstring&, bool done) {
        const std::size_t made = files.changeCount() - base;
        if (*dark || (done ? point.afterEffect && made == point.change + 1
                           : !point.afterEffect && made == point.change)) {
            *dark = true;
            throw PowerCut{};
        }
    });
}

/// Ends a stopped program's life: the watcher goes and what was not durable is lost.
void restart(MemoryFiles& files) {
    files.watch({});
    files.cutPower();
}

/// The sample update, unsigned, or signed: its commit then also replaces the installation's trust file.
struct Sample {
    const char* name;
    MemoryTree oldTree;
    MemoryTree newTree;
    std::optional<std::string> trust;  ///< the trust file the commit writes
};

void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.name; }

MemoryTree with(MemoryTree tree, const std::wstring& path, const std::string& content) {
    tree[path] = content;
    return tree;
}

// Made when the rows are, after the sample's own trees exist.
Sample unsignedSample() { return {"Unsigned", kSampleOldTree, kSampleNewTree, std::nullopt}; }
Sample signedSample() {
    return {"SignedWritingTheTrustFile", with(kSampleOldTree, L"/inst/.setup-trust", "old trust"),
            with(kSampleNewTree, L"/inst/.setup-trust", "new trust"), "new trust"};
}

UpdatePlan planOf(MemoryFiles& files, const Sample& sample) {
    UpdatePlan plan = makeUpdatePlan(files, kSampleInput);
    if (sample.trust) planTrustFile(files, plan, *sample.trust);
    return plan;
}

/// Runs the sample update on `files` until the power goes at `point`, the system having written back on
/// its own all it held but the entries of the folder `notWrittenBack` when one is given; true when the
/// update had become final before.
bool updateUntilCut(MemoryFiles& files, const Sample& sample, CutPoint point,
                    const std::optional<std::wstring>& notWrittenBack = {}) {
    cutPowerAt(files, point);
    StagedUpdate update(files, files, planOf(files, sample));
    try {
        carryOut(update);
    } catch (const PowerCut&) {
    }
    if (notWrittenBack) files.writeBackAllBut(*notWrittenBack);
    restart(files);
    return update.final();
}

/// The folders of the installation once the sample update is applied: each one in turn is the one the
/// system had not written back.
std::vector<std::wstring> installationFolders(const Sample& sample) {
    std::vector<std::wstring> folders;
    for (const auto& [path, content] : MemoryFiles(sample.newTree).tree()) {
        if (content == "<folder>" && (path == L"/inst" || path.rfind(L"/inst/", 0) == 0))
            folders.push_back(path);
    }
    return folders;
}

/// The lines of the changes a whole run of the sample update makes, in order.
std::vector<std::wstring> changesOfWholeRun(const Sample& sample) {
    MemoryFiles files(sample.oldTree, kSampleOldValues);
    std::vector<std::wstring> changes;
    files.watch([&changes](const std::wstring& call, bool done) {
        if (done) changes.push_back(call);
    });
    StagedUpdate update(files, files, planOf(files, sample));
    carryOut(update);
    return changes;
}

/// Every place the power can go among `count` changes: before each, after each, and after the last.
std::vector<CutPoint> cutPoints(std::size_t count) {
    std::vector<CutPoint> points;
    for (std::size_t change = 0; change < count; ++change) {
        points.push_back({change, false});
        points.push_back({change, true});
    }
    points.push_back({count, false});
    return points;
}

std::string describe(CutPoint point, const std::vector<std::wstring>& changes) {
    const std::wstring call = point.change < changes.size() ? changes[point.change] : L"the end";
    return std::string(point.afterEffect ? "power cut after " : "power cut before ") +
           ::testing::PrintToString(call);
}

struct State {
    MemoryTree tree;
    MemoryValues values;
    bool operator==(const State&) const = default;
    friend void PrintTo(const State& state, std::ostream* out) {
        *out << ::testing::PrintToString(state.tree) << " " << ::testing::PrintToString(state.values);
    }
};

State stateOf(const MemoryFiles& files) { return {files.tree(), files.values()}; }

State oldState(const Sample& sample) { return {MemoryFiles(sample.oldTree).tree(), kSampleOldValues}; }
State newState(const Sample& sample) { return {MemoryFiles(sample.newTree).tree(), kSampleNewValues}; }

/// Checks the state the next start leaves after `recovery`: old or new, new when the update was final.
void expectOneSide(const MemoryFiles& files, const Sample& sample, Recovery recovery, bool wasFinal) {
    const State state = stateOf(files);
    EXPECT_THAT(ownFilesIn(state.tree), ::testing::IsEmpty());
    if (wasFinal || recovery == Recovery::Completed) {
        EXPECT_EQ(state, newState(sample));
    } else if (recovery == Recovery::RolledBack) {
        EXPECT_EQ(state, oldState(sample));
    } else {
        EXPECT_THAT(state, ::testing::AnyOf(oldState(sample), newState(sample)));
    }
}

class PowerCutAnywhere : public ::testing::TestWithParam<Sample> {};

TEST_P(PowerCutAnywhere, WholeRunAppliesTheUpdate) {
    const Sample& sample = GetParam();
    MemoryFiles files(sample.oldTree, kSampleOldValues);
    const UpdatePlan plan = planOf(files, sample);
    ASSERT_TRUE(plan.accepted());
    StagedUpdate update(files, files, plan);

    carryOut(update);

    EXPECT_EQ(stateOf(files), newState(sample));
    files.cutPower();
    EXPECT_EQ(stateOf(files), newState(sample)) << "all of it durable";
    EXPECT_EQ(recoverInterruptedUpdate(files, files, L"/inst"), Recovery::None);
    ::testing::Test::RecordProperty("changes", static_cast<int>(files.changeCount()));
}

/// Recovers `files` as the next start does, checks what it leaves, and that what it leaves is durable
/// before the program goes on.
void expectRecoveredToOneSide(MemoryFiles& files, const Sample& sample, bool wasFinal) {
    Recovery recovery = Recovery::None;
    EXPECT_NO_THROW(recovery = recoverInterruptedUpdate(files, files, L"/inst"));
    expectOneSide(files, sample, recovery, wasFinal);
    const State recovered = stateOf(files);
    files.cutPower();
    EXPECT_EQ(stateOf(files), recovered) << "the recovery is durable once it returns";
    EXPECT_EQ(recoverInterruptedUpdate(files, files, L"/inst"), Recovery::None);
}

TEST_P(PowerCutAnywhere, AtEveryStepOfTheUpdateLeavesTheOldOrTheNewInstallation) {
    const Sample& sample = GetParam();
    const std::vector<std::wstring> changes = changesOfWholeRun(sample);
    int rows = 0;
    for (const CutPoint point : cutPoints(changes.size())) {
        SCOPED_TRACE(describe(point, changes));
        MemoryFiles files(sample.oldTree, kSampleOldValues);
        const bool wasFinal = updateUntilCut(files, sample, point);

        expectRecoveredToOneSide(files, sample, wasFinal);
        if (HasFailure()) return;  // one row's story is enough to read
        ++rows;
    }
    RecordProperty("rows", rows);
}

TEST_P(PowerCutAnywhere, AfterTheSystemWroteBackAllButOneFolderLeavesTheOldOrTheNewInstallation) {
    const Sample& sample = GetParam();
    const std::vector<std::wstring> changes = changesOfWholeRun(sample);
    int rows = 0;
    for (const CutPoint point : cutPoints(changes.size())) {
        for (const std::wstring& folder : installationFolders(sample)) {
            SCOPED_TRACE(describe(point, changes) + ", all written back but " +
                         ::testing::PrintToString(folder));
            MemoryFiles files(sample.oldTree, kSampleOldValues);
            const bool wasFinal = updateUntilCut(files, sample, point, folder);

            expectRecoveredToOneSide(files, sample, wasFinal);
            if (HasFailure()) return;
            ++rows;
        }
    }
    RecordProperty("rows", rows);
}

/// The sample update staged on `files` and the commit failing at its last flush, the one that makes
/// the journal's final name durable, after the system wrote back everything on its own.
std::unique_ptr<StagedUpdate> commitFailingAtItsLastFlush(MemoryFiles& files, const Sample& sample) {
    const std::vector<std::wstring> changes = changesOfWholeRun(sample);
    std::size_t lastFlush = 0;
    for (std::size_t change = 1; change < changes.size(); ++change) {
        if (changes[change - 1].rfind(L"rename /inst/.setup-journal ->", 0) == 0) lastFlush = change;
    }
    auto update = std::make_unique<StagedUpdate>(files, files, planOf(files, sample));
    update->begin();
    for (std::size_t index = 0; index < update->plan().files.size(); ++index) update->stage(index);
    std::size_t nth = 0;
    for (std::size_t change = files.changeCount(); change <= lastFlush; ++change) {
        if (changes[change].rfind(L"flushFolders", 0) == 0) ++nth;
    }
    files.failCall(L"flushFolders", nth);
    files.watch([&files, lastFlush](const std::wstring&, bool done) {
        if (!done && files.changeCount() == lastFlush) files.writeBackAllBut(L"/nothing");
    });
    EXPECT_THROW(update->commit(), Failure);
    files.watch({});
    return update;
}

TEST_P(PowerCutAnywhere, DuringTheUndoOfACommitWhoseLastFlushFailedLeavesTheOldOrTheNewInstallation) {
    const Sample& sample = GetParam();
    MemoryFiles once(sample.oldTree, kSampleOldValues);
    std::unique_ptr<StagedUpdate> undone = commitFailingAtItsLastFlush(once, sample);
    const std::size_t before = once.changeCount();
    undone->undo();
    ASSERT_EQ(stateOf(once), oldState(sample));
    const std::size_t undoChanges = once.changeCount() - before;

    int rows = 0;
    for (const CutPoint point : cutPoints(undoChanges)) {
        for (const std::wstring& folder : installationFolders(sample)) {
            SCOPED_TRACE("undo change " + std::to_string(point.change) + (point.afterEffect ? " done" : "") +
                         ", all written back but " + ::testing::PrintToString(folder));
            MemoryFiles files(sample.oldTree, kSampleOldValues);
            std::unique_ptr<StagedUpdate> update = commitFailingAtItsLastFlush(files, sample);
            cutPowerAt(files, point);
            try {
                update->undo();
            } catch (const PowerCut&) {
            }
            files.writeBackAllBut(folder);
            restart(files);

            expectRecoveredToOneSide(files, sample, false);
            if (HasFailure()) return;
            ++rows;
        }
    }
    RecordProperty("rows", rows);
}

TEST_P(PowerCutAnywhere, DuringTheRecoveryAndAgainLeavesWhatOneRecoveryLeaves) {
    const Sample& sample = GetParam();
    const std::vector<std::wstring> changes = changesOfWholeRun(sample);
    int rows = 0;
    for (const CutPoint point : cutPoints(changes.size())) {
        MemoryFiles once(sample.oldTree, kSampleOldValues);
        updateUntilCut(once, sample, point);
        const std::size_t before = once.changeCount();
        std::vector<std::wstring> recoveryChanges;
        once.watch([&](const std::wstring& call, bool done) {
            if (done) recoveryChanges.push_back(call);
        });
        recoverInterruptedUpdate(once, once, L"/inst");
        ASSERT_EQ(once.changeCount() - before, recoveryChanges.size());
        const State expected = stateOf(once);

        for (const CutPoint again : cutPoints(recoveryChanges.size())) {
            SCOPED_TRACE(describe(point, changes) + ", then during the recovery " +
                         describe(again, recoveryChanges));
            MemoryFiles files(sample.oldTree, kSampleOldValues);
            updateUntilCut(files, sample, point);
            cutPowerAt(files, again);
            try {
                recoverInterruptedUpdate(files, files, L"/inst");
            } catch (const PowerCut&) {
            }
            restart(files);

            EXPECT_NO_THROW(recoverInterruptedUpdate(files, files, L"/inst"));

            EXPECT_EQ(stateOf(files), expected);
            if (HasFailure()) return;
            ++rows;
        }
    }
    RecordProperty("rows", rows);
}

INSTANTIATE_TEST_SUITE_P(Samples, PowerCutAnywhere, ::testing::Values(unsignedSample(), signedSample()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
