// An installation as a transaction. Until the run commits, everything it
// changed can be undone: files it created, files it replaced (kept first
// under a backup name in their own folder), registry values and keys,
// Program Manager shortcuts and the uninstall entry. The journal of these
// steps lives beside the uninstall log ("LOG.jnl",
// transaction/journal_writer.h), written before each step, so a run that is killed or loses power is
// rolled back by the next setup.exe or by uninstall.exe. The protocol
// (files, keys, commit steps, rollback order) is described in one place,
// at the top of core/log/journal.h.
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

// Asked once for each failed copy: source is the file on the medium ("" when
// the entry's paths could not be formed), file the target (or the entry's
// name), error the system's error code (0: its name or folder does not fit
// a path).
typedef CopyFailureChoice (*CopyFailurePolicy)(void *context,
                                               const char *source,
                                               const char *file,
                                               DWORD error);

// How an install run ended.
enum InstallOutcome {
    INSTALL_COMMITTED = 1,     // installed; failures name what was ignored
                               // or waits for the restart
    INSTALL_ROLLED_BACK = 2,   // aborted, and the machine is as it was
    INSTALL_ROLLBACK_LEFT = 3, // aborted, but some step could not be
                               // undone (the report names it)
    INSTALL_JOURNAL_REFUSED = 4,  // not started: the journal could not be
                                  // written (the report names the file and
                                  // the reason); nothing was changed
    INSTALL_EARLIER_STRANDED = 5, // not started: an earlier run's journal
                                  // could not be undone in full and is kept
    INSTALL_NO_SPACE = 6          // refused before the first change: a
                                  // volume has too little free space
};

// Whether the log at logPath holds a run that did not commit.
bool IsInterruptedLog(const char *logPath);

// Undoes the run the log records, in reverse order, and leaves no uninstall
// entry and no log of that run behind. Killed halfway, it finishes when it
// is run again. Each undone step is a report line. Returns
// INSTALL_ROLLED_BACK, or INSTALL_ROLLBACK_LEFT when a step could not be
// undone (the journal is then kept, so a later run can try again).
InstallOutcome RollBackInstallation(const char *logPath);

// A run killed after it said complete but before its backups and journal
// were gone: finishes that commit (the backups of replaced files deleted,
// the journal removed). Returns whether there was one. A step the journal
// judgement refuses is named and its journal kept (HasJournal then says
// so). Every way into an
// installation calls it first: setup.exe in both modes, uninstall.exe.
bool FinishCutCommit(const char *logPath);

// setup.exe's first step in both modes, once the install script is known:
// rolls back the interrupted run in the script's uninstall log, if there
// is one, or finishes its cut commit. Returns 0 when there was none, else
// RollBackInstallation's result. INSTALL_ROLLBACK_LEFT (also for a cut
// commit whose journal was kept) strands that run: its journal is kept,
// and setup must not start until a rollback (by setup or the uninstaller)
// completes it.
int RecoverInterruptedRun(const char *scriptPath);

// ---- The install run's side (install_run.cpp, file_copy.cpp) ----

// Starts the transaction in the log at logPath (empty: no log, nothing can
// be rolled back): the journal starts "in progress", then a log that
// exists is copied, so the rollback can put it back as it was. Returns
// false, with *error the reason and nothing changed, when the journal or
// the copy cannot be written, or another run's journal is there.
bool BeginTransaction(const char *logPath, DWORD *error);

// The recording calls below return false when the step could not be
// recorded: the step must then not be taken, and the run fails.

// Records the folders on the way to folder (folder included) that do not
// exist yet, outermost first. Flushed with the next batch.
bool JournalNewFolders(const char *folder);

// Whether folder is one of the last folders recorded, and the run created
// it: nothing in it can be older than the run, so a target there need not
// be looked up (a look-up of a missing name scans the folder under Wine).
bool IsFolderNewInRun(const char *folder);

// The size and last-write time a placed file will have: its source's, as
// the copy keeps the source's time. A rollback removes a file only while
// it still is the one the run wrote.
struct FileFingerprint {
    unsigned long long size;
    unsigned long long writeTime;   // FILETIME as one number
};

// Records a file about to be put in place with the side tag (see
// transaction/file_replace.h): kept first as its backup when it exists. print
// (NULL when the source cannot be looked at) is the new file's. Returns
// false when the step cannot be recorded (then it must not be taken).
bool JournalFilePlacement(const char *target, const char *tag, bool exists,
                          const FileFingerprint *print);

// Records a shortcut file Program Manager or the run itself is about to
// create; one that exists already is copied to a backup name beside it
// (the journal flushed first), so a rollback puts it back. Returns false
// when it cannot be recorded or kept (then it must not be written).
bool JournalShortcutFile(const char *link);

// Commits: what the run wrote is flushed to disk (the files it replaced,
// the registry keys it changed, the restart renames), the journal says
// complete, then the backups and the journal go. Returns
// INSTALL_COMMITTED; when the journal cannot be closed or marked complete
// the run is rolled back instead and that outcome returned.
InstallOutcome CommitTransaction();

