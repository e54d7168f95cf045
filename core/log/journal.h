// The install run's journal beside the uninstall log: one line per step
// that a rollback can undo, written before the step is taken, in sections
// "Transaction.1", "Transaction.2" ... of the journal file. No Win32 call,
// so it is fuzzed.
//
// Line formats (fields one blank apart; a path is the last field and
// takes the rest of the line, so its blanks and double-byte characters
// need no quoting):
//   file TAG,SIZE,TIME PATH
//                      PATH did not exist; the new file is copied to
//                      TAG.tmp in PATH's folder, then renamed over PATH.
//                      SIZE (decimal) and TIME (last-write time, 16
//                      hexadecimal digits of a FILETIME) are those of the
//                      new file: a rollback removes PATH only while it
//                      still is that file
//   replace TAG,SIZE,TIME PATH
//                      PATH existed; it is kept as TAG.bak in its folder
//                      (a shortcut file: copied there)
// Lines of an earlier setup carry the TAG alone: they have no fingerprint.
//   folder PATH        a folder the run created
//   link PATH          a shortcut file the run created, through Program
//                      Manager or as a file of its own
//   key ROOT HEXKEY    a registry key the run created
//   value ROOT HEXKEY HEXNAME TYPE HEXDATA
//                      a registry value before the run changed it; TYPE
//                      "-" (and HEXDATA "-") when it was absent, HEXNAME
//                      "-" for the default value, HEXDATA "-" for no data
// ROOT is HKLM or HKCU. Registry texts are hexadecimal because key and
// value names may hold anything, blanks included.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"

enum JournalStepKind {
    STEP_FILE,
    STEP_REPLACE,
    STEP_FOLDER,
    STEP_LINK,
    STEP_KEY,
    STEP_VALUE
};

enum JournalRoot { ROOT_LOCAL_MACHINE, ROOT_CURRENT_USER };

struct JournalStep {
    JournalStepKind kind;
    char tag[JOURNAL_TAG_SIZE];        // file, replace
    char path[PATH_SIZE];              // file, replace, folder, link
    JournalRoot root;                  // key, value
    char key[REGISTRY_KEY_SIZE];       // key, value
    char valueName[REGISTRY_NAME_SIZE];
    bool absent;                       // value: did not exist
    unsigned long type;
    unsigned char data[JOURNAL_DATA_SIZE];
    size_t dataSize;
    bool printed;                      // file, replace: the new file's
    unsigned long long fileSize;       // size and last-write time are
    unsigned long long writeTime;      // known
};

// Whether tag can name a temporary or backup file: 1 to 8 characters of
// letters, digits, '~' and '_' (an 8.3 name with the extension added).
bool IsJournalTag(const char *tag);

// The line of a step into text (size bytes). Returns its length, or -1
// (text empty) when a field does not fit or cannot be written.
int FormatJournalStep(const JournalStep *step, char *text, size_t size);

// Reads a line. Returns false (step undefined) for a line that is not
// one of the formats or whose fields do not fit.
bool ParseJournalStep(const char *text, JournalStep *step);

// "Transaction.N" for the N-th journal section (from 1). Returns the
// length, or -1 when it does not fit.
int FormatJournalSectionName(char *name, size_t size, int index);

// One journal entry as it is appended to a section: "N:CHECK=line\r\n",
// CHECK eight hexadecimal digits over the line. A run killed or cut off
// while it appends leaves a last entry cut short or filled with whatever
// the disk held; its check tells it from a whole one. Returns the length,
// or -1 (entry empty) when it does not fit size bytes.
int FormatJournalEntry(char *entry, size_t size, int number,
                       const char *line);

// The values of a section buffer ("key=value", each ending in NUL, one
// more NUL at the end; nothing past size is read) in file order, at most
// capacity of them. A value whose key carries a check (":CHECK") that it
// fails is no value; a key without one is an entry of an older setup,
// which replaced its journal whole. Returns the count.
int ListSectionValues(const char *section, size_t size, const char **values,
                      int capacity);

// The state of the [Transaction] section.
enum TransactionState {
    TRANSACTION_NONE,          // no state: a log of an older setup
    TRANSACTION_IN_PROGRESS,
    TRANSACTION_COMPLETE,
    TRANSACTION_UNKNOWN        // written by someone else
};
extern const char kStateInProgress[];   // "in progress"
extern const char kStateComplete[];     // "complete"
TransactionState ParseTransactionState(const char *text);

// Removes from a REG_MULTI_SZ list of restart renames (pairs of source and
// target, each "\??\"-prefixed path, the target "!"-prefixed when it
// replaces; an empty target deletes) every pair whose source is source.
// length counts every byte of the list including its closing NULs; the
// list is edited in place and its new length returned. A list cut off
// keeps its unreadable tail as it is.
size_t DropPendingRenames(char *list, size_t length, const char *source);

// The same for wininit.ini's [rename] section as one read gives it
// ("target=source" lines): every line whose source is source goes.
size_t DropRenameLines(char *section, size_t length, const char *source);
