#pragma once

namespace setup {

class Runtime;
class MainWindow;
class ProgressWindow;
struct RunState;

/// Everything one run works with: the services, its variables and its two windows.
struct Session {
    Runtime& runtime;
    RunState& state;
    MainWindow& form1;
    ProgressWindow& form2;
};

/// Deletes the update's files and the list from the program directory, unloads both windows and ends
/// the program with the run's exit status. Every step ignores its own failure.
[[noreturn]] void CleanupAndExit(Session& session);

}  // namespace setup
