// The install run's journal beside the uninstall log: one line per step
// that a rollback can undo, written before the step is taken. No Win32
// call, so it is fuzzed.
//
// ---- The transaction protocol ----
// This block is the one description of it; the modules in transaction/
// and the README point here.
//
// Files, all beside the log LOG (names in log/log_files.h: one stem, the
// log's path, else its folder's 8.3 form, else a hash of its name):
//   LOG.jnl       the journal: an INI file, [Transaction] and the steps
//   LOG.jnl.tmp   the journal's replacing copy, written and flushed, then
//                 renamed over LOG.jnl; on the 95 family (delete, then
//                 rename) a reader takes it when LOG.jnl is missing
//   LOG.rbk       the log as it was before the run (a copy), for rollback
//   ~stNNNNN.tmp  a new file under its temporary name in its target's
//                 folder (NNNNN five hexadecimal digits: the TAG below)
//   ~stNNNNN.bak  the file it replaces, or a shortcut file that stood
//                 where the run makes one, kept beside it
//
// [Transaction] keys (the section is only ever changed by replacing the
// whole file):
//   State=in progress   from before the first change
//   State=complete      once the run's work is on disk
//   LogExisted=1        the log was there before the run
//   CreatedLogFolder=   the outermost folder the run made for the log
//   UnInstKey=          the uninstall entry's name, written before the
//                       entry (also in the log, which a kill can cut)
// A log without a journal is complete.
//
// Steps: sections [Transaction.1], [Transaction.2] ... of LOG.jnl, each
// entry "N:CHECK=line" (FormatJournalEntry below), appended and flushed
// before the steps they name are taken. An entry whose check fails was
// cut by a kill or power loss: its step was never taken, and it is
// skipped. Entries without a check come from earlier versions. Every
// line is judged before it is acted on (core/log/journal_judge.h).
//
// A run:
//   1. takes the one-run lock (transaction/run_lock.h);
//   2. finishes or rolls back an earlier run's journal (recovery below);
//      a journal that cannot be rolled back in full is kept, and the run
//      does not start;
//   3. makes the log's folder if needed, starts LOG.jnl with
//      State=in progress, records the folders it made, copies the log to
//      LOG.rbk; any failure here refuses the run with nothing changed;
//   4. for each step: appends its line, flushes, then takes the step. The
//      first failed journal write fails the run (rolled back).
// The commit, in this order:
//   1. the folders the run created are listed in the log;
//   2. the registry keys the run changed and the pending renames are
//      flushed (files that replace earlier ones were flushed before they
//      took their names);
//   3. the last entries are flushed and State=complete is written (a new
//      LOG.jnl.tmp, read back, flushed, renamed over LOG.jnl);
//   4. the backups ~stNNNNN.bak the journal names, then LOG.rbk, are
//      deleted, each judged first;
//   5. LOG.jnl is deleted. A step refused in 4 keeps the journal.
// A kill after 3 leaves State=complete: the next run, or the
// uninstaller, does 4 and 5 again.
// The rollback (State=in progress: a failed run, or a killed one found
// by the next setup.exe or by uninstall.exe):
//   1. every line from the last to the first, each judged, then undone:
//      a new file removed while it is still the file the run wrote, a
//      replaced file brought back from its backup (or a waiting
//      replacement at the restart cancelled), a link removed (through
//      Program Manager, then as a file), a folder removed when empty, a
//      created key deleted, a changed value given its old type and data;
//   2. the log brought back from LOG.rbk, or removed when the run made it;
//   3. LOG.jnl deleted last, then the log folders the run made. A step
//      that cannot be undone keeps everything from 2 on for another try.
//
// ---- Line formats ----
// Fields one blank apart; a path is the last field and takes the rest of
// the line, so its blanks and double-byte characters need no quoting:
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
