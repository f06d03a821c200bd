#pragma once

namespace setup {

struct Session;

/// Run once the files are staged, before the commit's first rename: waits until no other program holds a
/// file the commit replaces. A person is asked, Retry or Cancel, for as long as files are held; Cancel
/// ends the run as a confirmed cancel does. A run nobody watches checks again every second for as long as
/// its host says, logging the holders whenever they change, then throws Failure with the box's text.
void waitUntilReplacedFilesAreFree(Session& session);

/// Run once the commit is final, before the replaced files' old content goes: logs, for each replaced
/// file, the programs that still have its old content open or mapped, which keep running it until they
/// restart (a rename on Linux never waits for them). Never throws.
void logProgramsHoldingOldContent(Session& session);

}  // namespace setup
