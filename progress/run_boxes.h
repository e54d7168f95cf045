// The boxes of the transactional install run with a person there. Their
// texts come from the catalog's [MessageBox] section (COPY_FAILED,
// SETUP_CANCELLED, EARLIER_UNDONE, NO_SPACE with its labels NO_SPACE_NEEDED
// and NO_SPACE_FREE, with TITLE_ERROR and TITLE_MESSAGE as
// captions); a key the catalog lacks gets a built-in text, Japanese when
// the language code is "jpn", English otherwise.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "transaction/transaction.h"

// The catalog's [MessageBox] key into text (size bytes), or the built-in
// text when the catalog lacks it.
void ReadRunBoxText(const char *key, char *text, size_t size);

// The copy-failure policy of the progress dialog: one Abort / Retry /
// Ignore box naming the source on the medium, the target it was meant for
// and the reason. context is the owner window.
CopyFailureChoice AskAboutCopyFailure(void *context, const char *source,
                                      const char *file, DWORD error);

// "Setup was cancelled and nothing was changed" (SETUP_CANCELLED).
void ShowSetupCancelled(HWND owner);

// "An interrupted setup was undone" (EARLIER_UNDONE).
void ShowEarlierRunUndone(HWND owner);

// Files in use are replaced at the restart: a box with built-in texts that
// names how many and the first.
void ShowRestartNeeded(HWND owner, int count, const char *firstFile);

// The answers of a clicked run were not recorded (-r): a box with built-in
// texts. textKey is RECORD_NO_NAME, RECORD_NOT_WRITTEN (detail: the path)
// or RECORD_UNREADABLE (detail: the key).
void ShowAnswersNotRecorded(HWND owner, const char *textKey,
                            const char *detail);

// "Another installation is running": setup does not start.
void ShowAnotherRunBox(HWND owner);

// The box at the end of a run that did not commit: cancelled with
// nothing changed, cancelled with steps left undone, or refused because
// the journal cannot be written or an earlier run's journal is kept.
void ShowRunNotFinished(HWND owner, InstallOutcome outcome);

// The free-space question of a run with a person there (a SpaceQuestion,
// install/space_check.h): one Retry / Cancel box naming the drive, the
// space needed and the space free. context is the owner window.
bool AskToFreeSpace(void *context, const char *root,
                    unsigned long long need, unsigned long long free);

// After a completed installation with a person there: records the answers
// when -r asked for it; when they cannot be recorded, one box with
// built-in texts owned by owner says so. The installation stands either
// way.
void RecordAnswersIfAsked(HWND owner);
