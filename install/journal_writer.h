// Writing the install run's journal (see core/log/journal.h for the
// lines) into a file of its own beside the uninstall log, "LOG.jnl". Its
// [Transaction] state is changed only by replacing the file whole, so a
// run killed while it writes leaves the old state or the new one. Steps
// are kept in memory and appended, each entry with its check, when the
// caller flushes, before it takes the steps: the copy flushes once per
// batch of files, the registry and shortcut steps at once. An append cut
// short leaves a last entry that fails its check and is not read.
#pragma once

#include "core/log/journal.h"

// Starts the journal of the log at logPath: [Transaction] State=in
// progress, and LogExisted=1 when logExisted. An empty path keeps no
// journal (then nothing can be rolled back).
void OpenJournal(const char *logPath, bool logExisted);

// Whether a journal is being written.
bool IsJournalOpen();

// The log the journal is written to ("" when none).
const char *JournalLogPath();

// Adds a step; it reaches the log at the next flush.
void AddJournalStep(const JournalStep *step);

// Writes the steps not yet in the log. Returns false when a write failed
// (the steps are then not safe to take).
bool FlushJournal();

// Forgets the journal (the log keeps what was written).
void CloseJournal();

// Reads every journal section of the log into memory, in order, and calls
// visit for each line from the last to the first. Returns the number of
// lines, or -1 when the journal could not be read whole.
typedef void (*JournalVisitor)(void *context, const char *line);
int VisitJournalBackwards(const char *logPath, JournalVisitor visit,
                          void *context);

// Whether the log has a journal: a run that did not commit, or a commit
// cut short.
bool HasJournal(const char *logPath);

// Deletes the log's journal.
void RemoveJournal(const char *logPath);

// [Transaction] State and the other keys of the journal's own section.
bool WriteTransactionState(const char *logPath, const char *state);
TransactionState ReadTransactionState(const char *logPath);
bool WriteTransactionKey(const char *logPath, const char *key,
                         const char *value);
int ReadTransactionNumber(const char *logPath, const char *key);
