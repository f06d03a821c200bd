#pragma once

namespace setup {

struct Session;

/// Deletes the update's files and the list from the program directory, unloads both windows and ends
/// the program with the run's exit status. Every step ignores its own failure.
[[noreturn]] void CleanupAndExit(Session& session);

}  // namespace setup
