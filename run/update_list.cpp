#include "run/update_list.h"

#include <limits>

#include "platform/failure.h"
#include "platform/program_files.h"
#include "platform/quoting.h"
#include "platform/runtime.h"
#include "run/run_state.h"

namespace setup {

bool startsWith(const std::wstring& entry, wchar_t marker) {
    return !entry.empty() && entry.front() == marker;
}

EntryKind classifyEntry(const std::wstring& entry) {
    if (entry.empty()) return EntryKind::Empty;
    switch (entry.front()) {
        case kRemarkMarker:
            return EntryKind::Remark;
        case kWarningMarker:
            return EntryKind::Warning;
        case kVersionRangeMarker:
            return EntryKind::VersionRange;
        case kRequiredFileMarker:
            return EntryKind::RequiredFile;
        case kVersionStampMarker:
            return EntryKind::VersionStamp;
        default:
            return EntryKind::File;
    }
}

std::wstring trimSpaces(const std::wstring& entry) {
    const auto first = entry.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return entry.substr(first, entry.find_last_not_of(L' ') - first + 1);
}

std::wstring withoutTrailingSpaces(std::wstring entry) {
    entry.erase(entry.find_last_not_of(L' ') + 1);
    return entry;
}

bool namesShippedFile(const std::wstring& entry) {
    switch (classifyEntry(entry)) {
        case EntryKind::File:
        case EntryKind::VersionStamp:
            return true;
        default:
            return false;
    }
}

void countEntry(std::int16_t& count) {
    if (count == std::numeric_limits<std::int16_t>::max())
        throw Failure("d\u00E9passement du compte d'entr\u00E9es sur 16 bits");
    ++count;
}

std::wstring updateListPath(Runtime& runtime) {
    return runtime.host().programDirectory() + L"\\" + kUpdateListName;
}

void openUpdateList(Runtime& runtime, RunState& state) {
    state.ListFileNumber = runtime.freeFileNumber();
    runtime.openForInput(state.ListFileNumber, updateListPath(runtime));
}

void readUpdateListEntry(Runtime& runtime, RunState& state) {
    state.CurrentLine = withoutTrailingSpaces(runtime.readEntry(state.ListFileNumber));
    // Every pass reads the list through here, so the log shows each entry as each pass meets it.
    runtime.host().logEvent(L"Entr\u00E9e lue : " + guillemets(state.CurrentLine));
}

void forEachListEntryUntil(Runtime& runtime, RunState& state,
                           const std::function<bool(std::wstring& entry)>& visit) {
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        if (!visit(state.CurrentLine)) break;
    }
    runtime.close(state.ListFileNumber);
}

void forEachListEntry(Runtime& runtime, RunState& state,
                      const std::function<void(std::wstring& entry)>& visit, ListFailures failures) {
    if (failures == ListFailures::Throw) {
        forEachListEntryUntil(runtime, state, [&](std::wstring& entry) {
            visit(entry);
            return true;
        });
        return;
    }
    // Each step is tried on its own: a number not taken or a list not opened makes the first test fail,
    // which ends the pass; the close is tried whatever happened.
    ignoringFailure([&] { state.ListFileNumber = runtime.freeFileNumber(); });
    ignoringFailure([&] { runtime.openForInput(state.ListFileNumber, updateListPath(runtime)); });
    for (;;) {
        bool atEnd = false;
        ignoringFailure([&] { atEnd = runtime.atEndOfFile(state.ListFileNumber); });
        if (atEnd) break;
        if (!ignoringFailure([&] { readUpdateListEntry(runtime, state); })) break;
        visit(state.CurrentLine);
    }
    ignoringFailure([&] { runtime.close(state.ListFileNumber); });
}

}  // namespace setup
