// The registry side of the install run's journal: what a write will change
// is recorded (and flushed) before the write, and undone by the rollback.
// Only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are recorded.
#pragma once

#include <windows.h>

#include "core/log/journal.h"

// Records the keys of root\key that do not exist yet (they are created,
// outermost first) and valueName's present type and data, or that it is
// absent. Returns false when the journal could not be written: the change
// must then not be made, and the run fails.
bool JournalValueChange(HKEY root, const char *key, const char *valueName);

// The same for count values of one key, with one flush of the journal.
bool JournalValueChanges(HKEY root, const char *key,
                         const char *const *valueNames, int count);

// Records every value of root\key before the key is deleted. Returns false
// as JournalValueChange does.
bool JournalKeyDeletion(HKEY root, const char *key);

// Makes every key recorded since the last call reach the disk
// (RegFlushKey), before the run says it is complete.
void FlushJournaledKeys();

// Whether a key read back from a journal is one the install run may have
// written: under Software, two levels deep at least, and under
// Software\Microsoft only an entry of the Uninstall key.
bool IsJournalKeyAllowed(const char *key);

// Undoes a key or value step. Returns false when it could not be undone.
bool UndoRegistryStep(const JournalStep *step);
