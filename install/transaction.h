// An installation as a transaction. Until the run commits, everything it
// changed can be undone: files it created, files it replaced (kept first
// under a backup name in their own folder), registry values and keys,
// Program Manager shortcuts and the uninstall entry. The journal of these
// steps lives in the uninstall log, written before each step, so a run
// that is killed or loses power is rolled back by the next setup.exe or
// by uninstall.exe.
//
// The log's state is [Transaction] State= "in progress" from the first
// change on and "complete" once the run has committed.
#pragma once

#include <windows.h>

// What the person (or the answer file) wants done with a file that could
// not be copied. A file held open by another program is not asked about:
// it is replaced at the next restart.
enum CopyFailureChoice {
    COPY_FAILURE_RETRY,    // try the same file again
    COPY_FAILURE_IGNORE,   // go on; the closing warning names the file
    COPY_FAILURE_ABORT     // stop and roll the whole run back
};

// Asked once for each failed copy: file is the target, error the system's
// error code (0: its name or folder does not fit a path).
typedef CopyFailureChoice (*CopyFailurePolicy)(void *context,
                                               const char *file,
                                               DWORD error);

// How an install run ended.
enum InstallOutcome {
    INSTALL_COMMITTED = 1,     // installed; failures name what was ignored
                               // or waits for the restart
    INSTALL_ROLLED_BACK = 2,   // aborted, and the machine is as it was
    INSTALL_ROLLBACK_LEFT = 3  // aborted, but some step could not be
                               // undone (the report names it)
};

// Whether the log at logPath holds a run that did not commit.
bool IsInterruptedLog(const char *logPath);

// Undoes the run the log records, in reverse order, and leaves no uninstall
// entry and no log of that run behind. Killed halfway, it finishes when it
// is run again. Each undone step is a report line. Returns
// INSTALL_ROLLED_BACK, or INSTALL_ROLLBACK_LEFT when a step could not be
// undone (the journal is then kept, so a later run can try again).
InstallOutcome RollBackInstallation(const char *logPath);

// setup.exe's first step in both modes, once the install script is known:
// rolls back the interrupted run in the script's uninstall log, if there
// is one. Returns 0 when there was none, else RollBackInstallation's
// result.
int RecoverInterruptedRun(const char *scriptPath);
