#pragma once

#include <string>

namespace setup {

/// The list directives, methods of the main window. Each takes the entry by reference; Version and SetVer
/// rewrite it. Version and exist end the run through CleanupAndExit when their check fails.
class Directives {
  public:
    virtual ~Directives() = default;
    virtual void alert(std::wstring& entry) = 0;
    virtual void Version(std::wstring& entry) = 0;
    virtual void exist(std::wstring& entry) = 0;
    virtual void SetVer(std::wstring& entry) = 0;
};

/// The pre-copy pass's work on one entry: "!" calls alert, "§" Version, "@" exist, each test made on
/// the entry as the directive before it left it.
void runPreCopyTests(std::wstring& entry, Directives& directives);

/// The stamp pass's work on one entry: "#" calls SetVer, which hands the version to the commit.
void runStampTest(std::wstring& entry, Directives& directives);

}  // namespace setup
