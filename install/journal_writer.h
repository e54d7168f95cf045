// Writing the install run's journal into the uninstall log (see
// core/log/journal.h for the lines). Every profile write rewrites the
// whole log, so steps are kept in memory and written a section at a time
// when the caller flushes, before it takes the steps: the copy flushes
// once per batch of files, the registry and shortcut steps at once.
#pragma once

#include "core/log/journal.h"

// Starts the journal in the log at logPath: [Transaction] State=in
// progress, the first journal section empty. An empty path keeps no
// journal (then nothing can be rolled back from the log).
void OpenJournal(const char *logPath);

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

// Whether the log holds a journal section.
bool HasJournal(const char *logPath);

// Removes the journal sections and the [Transaction] keys other than
// State from the log.
void RemoveJournalSections(const char *logPath);

// Writes [Transaction] State.
bool WriteTransactionState(const char *logPath, const char *state);
TransactionState ReadTransactionState(const char *logPath);
