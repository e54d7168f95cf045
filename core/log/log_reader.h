// Reading the uninstall log for the uninstaller: the numbered lists of a
// section as GetPrivateProfileSectionA gives it ("key=value", each ending
// in NUL, one more NUL at the end), the command line, and the path tests
// that decide what may be removed. No Win32 call, so it is fuzzed.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/log/log_names.h"
#include "core/log/log_section.h"

// Values a list can hold: the highest key number an install run reaches
// (the log keeps high numbers written by hand or by older runs too). It
// bounds the memory a hostile log can make the uninstaller take.
constexpr int UNINSTALL_LIST_CAPACITY = 4096;

// A list of paths that grows with what the log holds (a zeroed one is
// empty); FreeLogValues gives its memory back.
struct LogValueList {
    int count;
    int refused;   // values that cannot be a path: too long, quotes,
                   // control characters; never acted upon
    int dropped;   // values past the capacity, or for which no memory
                   // was left; never acted upon
    int allocated; // rows that values holds
    char (*values)[PATH_SIZE];
};

void FreeLogValues(LogValueList *list);

// Adds a copy of path (shorter than PATH_SIZE bytes) as the last value.
// Returns false, counting it as dropped, when the list is full or no memory
// is left.
bool AppendLogValue(LogValueList *list, const char *path);

// Collects the values of every numbered key of the list (FILE or PATH, the
// keys a read of the numbered key finds) in the section buffer of size
// bytes; nothing past size is read. Like a profile read, the first of keys
// written twice counts; empty values are skipped. Gaps in the numbering do
// not end the list, and keys numbered past what an install run tracks
// count too: every value that the log lists is taken. Returns the count.
int CollectNumberedValues(const char *section, size_t size, LogList list,
                          LogValueList *values);

// The collection entry by entry, for a section too large for one buffer:
//     NumberedCollector collector;
//     StartCollecting(&collector, list, &values);
//     ... CollectEntry(&collector, &entry) for each line, in file order ...
//     FinishCollecting(&collector);
// Each entry costs the same however many came before it. Keys numbered
// past what is tracked are told apart by a set of their digits; a key too
// long to be one FormatLogKey forms is refused, and a key the set has no
// room for is taken as a new one.
struct NumberedCollector {
    LogList list;
    LogValueList *values;
    unsigned char seen[LOG_SNAPSHOT_MAX_INDEX / 8];
    char (*beyond)[LOG_KEY_SIZE];   // open addressing; "" is a free slot
    int beyondCount;
};
void StartCollecting(NumberedCollector *collector, LogList list,
                     LogValueList *values);
void CollectEntry(NumberedCollector *collector, const SectionEntry *entry);
void FinishCollecting(NumberedCollector *collector);

// Adds one logged value of length bytes to the list as the collection
// does: an empty one is skipped, one that cannot be a path is refused, one
// past the capacity dropped.
void AddLoggedValue(LogValueList *values, const char *value, size_t length);

// Whether path passes the one judgement of a path setup writes
// (JudgeTargetPath): a complete local path that names no drive root, no
// "." or "..", no forbidden character and no device.
bool IsRemovablePath(const char *path);

// Whether a and b name the same path, ignoring the letter case of
// single-byte characters and one trailing backslash.
bool SamePath(const char *a, const char *b);

// Whether path lies inside folder (below it, not folder itself), compared
// as SamePath compares. The rest of path, from its backslash, in *rest
// (may be NULL).
bool IsInsideFolder(const char *path, const char *folder, const char **rest);

// Counts the separators of path (character by character).
int PathDepth(const char *path);

// Orders paths deepest first (stable for equal depth), for folder removal.
void SortDeepestFirst(LogValueList *values);

// The uninstaller's switches besides -s.
struct UninstallSwitches {
    bool msiCodes;               // -m: Windows Installer's exit codes
    char report[PATH_SIZE];      // -o<file>: the report ("" for none)
    bool reportTooLong;          // -o named a file longer than report
};

// The uninstaller's command line: "[-s] [-m] [-o<file>] LOG" (the log path
// and the report's may be quoted: -o"C:\a b.txt"). Returns 1 with the path
// in log (size bytes), or 0 when no path is given, it does not fit, or an
// unknown option is met. switches may be NULL, and then -m and -o are
// unknown options.
int ParseUninstallCommandLine(const char *commandLine, bool *silent,
                              char *log, size_t size,
                              UninstallSwitches *switches = NULL);

// Where in an uninstall command the log argument may start: after any
// blank outside quotes, since an unquoted program path may hold blanks
// ("C:\Program Files\un.exe C:\x.log"). Returns the first such place
// after tail (NULL: after the start of command), or NULL when none is
// left.
const char *NextCommandTail(const char *command, const char *tail);

// Tries the self-deleting batch file makes, about a second apart.
constexpr int SELF_DELETE_TRIES = 60;

// The batch file that deletes file once it is no longer in use (a bounded
// wait) and then itself (batch): every '%' of the paths doubled, so that
// none is expanded. Returns the length, or -1 (script empty) when it does
// not fit size bytes.
int ComposeSelfDeleteBatch(char *script, size_t size, const char *file,
                           const char *batch);
