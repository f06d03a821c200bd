#include "tests/support/scripted_runtime.h"

#include <algorithm>

#include "platform/failure.h"

namespace setup::test {

ScriptedRuntime::ScriptedRuntime(const std::wstring& programDirectory)
    : Host(programDirectory), FileRuntime(static_cast<Host&>(*this)) {}

FileNumber ScriptedRuntime::freeFileNumber() {
    const FileNumber number = FileRuntime::freeFileNumber();
    calls.push_back(L"free " + std::to_wstring(number));
    return number;
}

void ScriptedRuntime::openForInput(FileNumber number, const std::wstring& path) {
    calls.push_back(L"open " + std::to_wstring(number) + L" " + path);
    FileRuntime::openForInput(number, path);
    mostFilesOpen = std::max(mostFilesOpen, ++m_filesOpen);
}

bool ScriptedRuntime::atEndOfFile(FileNumber number) {
    calls.push_back(L"eof " + std::to_wstring(number));
    return FileRuntime::atEndOfFile(number);
}

std::wstring ScriptedRuntime::readEntry(FileNumber number) {
    calls.push_back(L"read " + std::to_wstring(number));
    return FileRuntime::readEntry(number);
}

void ScriptedRuntime::close(FileNumber number) {
    calls.push_back(L"close " + std::to_wstring(number));
    FileRuntime::close(number);
    --m_filesOpen;
}

void ScriptedRuntime::deleteFile(const std::wstring& path) {
    noteChange(L"delete " + path);
    if (refuseDeletions) throw Failure("write-protected folder");
    realFiles().removeFile(path);
    deletions.push_back(path);
}

void ScriptedRuntime::deleteShippedFile(const std::wstring& path) {
    noteChange(L"delete " + path);
    if (refuseDeletions) throw Failure("write-protected folder");
    realFiles().removeShippedFile(path);
    deletions.push_back(path);
}

std::uint64_t ScriptedRuntime::stageCopy(const std::wstring& source, const std::wstring& destination,
                                         const std::wstring& staged, CopyCheck* check) {
    noteChange(L"stage " + source + L" -> " + staged);
    if (++m_stageCopies == failStageCopyAt) throw Failure("cannot copy: " + stageCopyError);
    const std::uint64_t bytes = realFiles().copyFile(source, destination, staged, check);
    copies.emplace_back(source, destination);
    return bytes;
}

void ScriptedRuntime::writeFile(const std::wstring& path, const std::string& bytes) {
    noteChange(L"write " + path);
    realFiles().writeFile(path, bytes);
}

void ScriptedRuntime::noteChange(const std::wstring& call) {
    calls.push_back(call);
    if (beforeFileChange) beforeFileChange(call);
}

void ScriptedRuntime::renameFile(const std::wstring& from, const std::wstring& to) {
    noteChange(L"rename " + from + L" -> " + to);
    if (++m_renames == failRenameAt) throw Failure("cannot rename");
    realFiles().rename(from, to);
}

void ScriptedRuntime::flushFiles(const std::vector<std::wstring>& paths) {
    noteChange(L"flush " + std::to_wstring(paths.size()) + L" files");
    if (++m_flushes == failFlushAt) throw Failure("cannot flush");
    realFiles().flushFiles(paths);
}

void ScriptedRuntime::flushFolders(const std::vector<std::wstring>& folders) {
    noteChange(L"flush " + std::to_wstring(folders.size()) + L" folders");
    if (++m_flushes == failFlushAt) throw Failure("cannot flush");
    realFiles().flushFolders(folders);
}

int ScriptedRuntime::messageBox(const std::wstring& text, int style, const std::wstring& title) {
    calls.push_back(L"box " + title);
    messages.push_back({text, title, style});
    if (onMessage) onMessage(messages.back());
    if (answers.empty()) return defaultAnswer(style);
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedRuntime::processPendingMessages() {
    ++pendingPoints;
    calls.push_back(L"pending " + std::to_wstring(pendingPoints));
    if (auto action = atPendingPoint.find(pendingPoints); action != atPendingPoint.end()) action->second();
}

void ScriptedRuntime::endProgram(int exitStatus) {
    calls.push_back(L"end " + std::to_wstring(exitStatus));
    m_filesOpen = 0;
    throw ProgramEnded{exitStatus};
}

int ScriptedRuntime::defaultAnswer(int style) { return style == box::kQuestionYesNo ? box::kYes : box::kOk; }

}  // namespace setup::test
