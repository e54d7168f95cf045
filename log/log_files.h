// The files of the uninstall log as setup and the uninstaller find them:
// where the install script puts the log, the file a log path names, and
// the names of its side files (the journal, the journal's replacing copy
// and the log's backup), which share one stem.
#pragma once

#include <stddef.h>

// The file a log path names: a path without a folder names a file in the
// Windows folder, as the profile service takes it. Returns false when it
// does not fit.
bool ResolveLogFile(const char *logPath, char *file, size_t size);

// The file names of the log's side files: the journal ("LOG.jnl"), the
// copy that replaces it ("LOG.jnl.tmp") and the log's backup ("LOG.rbk").
// They share one stem: the log's own path where the longest fits 259
// characters, else the log's folder by its short name, else a hash of the
// log's name in place of it (core/log/journal_names.h). Returns false when
// no form fits.
bool FormLogSidePath(const char *logPath, const char *extension, char *path,
                     size_t size);

// The backup of the log kept while a run is open: logFile + ".rbk" (see
// FormLogSidePath for a log path at the limit).
bool FormLogBackupPath(const char *logFile, char *path, size_t size);

// The journal file of logPath for messages: the journal, or "" when its
// name does not fit.
void FormJournalName(const char *logPath, char *name, size_t size);

// Whether a log path names a file setup may write and the uninstaller
// remove: judged as it resolves (a name without a folder lies in the
// Windows folder).
bool IsUsableLogPath(const char *logPath);

// The uninstall log path of the script ([UnInstLog] "UnInstLog"). A value
// that does not fit the buffer, or whose file fails the target-path
// judgement, gives an empty path (no log) and 0.
int ReadUninstallLogPath(const char *scriptPath, char *logPath, size_t size);
