// The numbered lists of the uninstall log (FILE or PATH keys of one
// section) as an install run extends them: every value once, under the
// next free number.
#pragma once

#include <stddef.h>

#include "core/log/log_names.h"
#include "core/setup_limits.h"

// A numbered list of one log section and the next number it hands out.
// New values go behind the entries that earlier sections or earlier
// installations into the same log left.
//
// Every profile call costs a check of the file and every profile write
// rewrites the whole file, so with hundreds of entries reading the list
// back for each duplicate test and writing it key by key dominated an
// installation. A section that is absent from the log when the list is
// opened (the list creates it) is therefore kept in memory as well, in the
// form a section write takes ("FILE00=value", each ending in NUL): its
// duplicate tests look there, and its new entries reach the file in
// batches, as one write of the whole section. The file ends up the same.
// A caller that must have entries on disk before it acts on them (the
// copy logs a batch of files before copying them) flushes the list.
struct LogNumbering {
    const char *logPath;   // empty: no log is kept
    char section[LOG_SECTION_SIZE];
    LogList list;
    int next;
    char *table;          // NULL: the list is read back from the file
    size_t tableLength;   // bytes of the entries, each with its NUL
    size_t tableSize;
    int unwritten;        // entries of the table not yet in the file
    bool writePerKey;     // the section outgrew one section write
};

// Opens the list of section in the log at logPath (empty: none is kept).
// mayKeepTable false: nothing is kept in memory, for when something else
// reads or writes the same section while the list is open.
void OpenLogList(LogNumbering *log, const char *logPath, const char *section,
                 LogList list, bool mayKeepTable);

// Adds value under the next number unless the list already holds it.
void AddLogValue(LogNumbering *log, const char *value);

// Writes what the list has not yet written; the table is kept.
void FlushLogList(LogNumbering *log);

// Writes what the list has not yet written and frees its table.
void CloseLogList(LogNumbering *log);

// The index of the first numbered key of the list (FILE or PATH) whose
// value equals value byte for byte, or -1 when the first missing or empty
// key comes first.
int FindLoggedValue(const char *value, const char *logPath,
                    const char *section, LogList list);
