// The registry side of the install run's journal: what a write will change
// is recorded (and flushed) before the write, and undone by the rollback.
// Only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are recorded.
#pragma once

#include <windows.h>

#include "core/log/journal.h"

// Records the keys of root\key that do not exist yet (they are created,
// outermost first) and valueName's present type and data, or that it is
// absent. Returns false when the old value cannot be kept whole (longer
// than JOURNAL_DATA_SIZE, or unreadable; the report says so) or the journal
// could not be written (the run then fails): either way the caller does
// not change it.
bool JournalValueChange(HKEY root, const char *key, const char *valueName);

// The same for count values of one key, with one flush of the journal.
// Returns false when any of them cannot be kept.
bool JournalValueChanges(HKEY root, const char *key,
                         const char *const *valueNames, int count);

// Records every value of root\key before the key is deleted. Returns false
// when a value cannot be kept: the key is then not deleted.
bool JournalKeyDeletion(HKEY root, const char *key);

// Makes every key recorded since the last call reach the disk
// (RegFlushKey), before the run says it is complete.
void FlushJournaledKeys();

// Undoes a key or value step, judged first (transaction/journal_judge.h).
// Returns false when it could not be undone.
bool UndoRegistryStep(const JournalStep *step);
