#include "tests/support/update_run.h"

#include <algorithm>

#include "run/cleanup.h"
#include "app/update_sequence.h"
#include "platform/installation_lock.h"
#include "platform/text_codec.h"

namespace setup::test {

std::string ansi(const std::wstring& text) { return toAnsi(text); }

UpdateRun::UpdateRun()
    : updateFolder(root / "update"),
      installation(root / "Kelvane"),
      windowsFolder(root / "windows"),
      windir("WINDIR", windowsFolder.string()),
      runtime(fromUtf8(updateFolder.string())),
      session{runtime, state, form1, form2},
      directives(session) {
    std::filesystem::create_directories(updateFolder);
    std::filesystem::create_directories(installation);
    std::filesystem::create_directories(windowsFolder);
    form2.attach(session);
}

void UpdateRun::writeList(const std::string& bytes) const { writeFile(updateFolder / "setup.lst", bytes); }

void UpdateRun::writeList(const std::wstring& text) const { writeList(ansi(text)); }

void UpdateRun::addUpdateFile(const std::string& relative, const std::string& content) const {
    writeFile(updateFolder / relative, content);
}

void UpdateRun::addInstalledFile(const std::string& relative, const std::string& content) const {
    writeFile(installation / relative, content);
}

void UpdateRun::registerProduct(const std::string& version) const {
    writeFile(windowsFolder / "Tamreg.reg",
              "[Kelvane]\r\nPath=" + installation.string() + "\r\nVersion=" + version + "\r\n");
}

int UpdateRun::run() {
    try {
        Form_Load(session, directives);
    } catch (const ProgramEnded& ended) {
        return ended.exitStatus;
    }
}

int UpdateRun::cleanup() {
    try {
        CleanupAndExit(session);
    } catch (const ProgramEnded& ended) {
        return ended.exitStatus;
    }
}

std::string UpdateRun::registryText() const {
    for (const auto& item : std::filesystem::directory_iterator(windowsFolder)) {
        if (equalIgnoringCase(fromUtf8(item.path().filename().string()), L"tamreg.reg"))
            return readFile(item.path());
    }
    return {};
}

InstallationState UpdateRun::snapshot() const {
    Tree installed = snapshotTree(installation);
    // A run still going holds its lock file there; it is no part of what the run changes.
    installed.erase(toUtf8(kInstallationLockName));
    return {installed, snapshotTree(windowsFolder)};
}

std::vector<std::string> UpdateRun::filesInUpdateFolder() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::recursive_directory_iterator(updateFolder)) {
        if (!item.is_directory())
            names.push_back(item.path().lexically_relative(updateFolder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace setup::test
