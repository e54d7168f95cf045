// Reading a whole uninstall-log section as one profile read returns it
// (GetPrivateProfileSectionA): "key=value" lines, each ending in NUL, and
// one more NUL after the last. One read of the whole section answers what
// a read of every numbered key would, without a file check per key.
//
// Every function takes the buffer with its size and never reads past it,
// also when the closing NULs are missing.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/log/log_names.h"

// ParseLogKey: a numbered key of the list too high to be tracked.
constexpr int LOG_KEY_BEYOND = -2;

// One line of a section buffer. The key is not terminated (keyLength
// bytes); value is terminated, "" for a line without '='.
struct SectionEntry {
    const char *key;
    size_t keyLength;
    const char *value;
    size_t valueLength;
};

struct SectionCursor {
    const char *next;
    const char *end;
};

// Iterating the lines:
//     SectionCursor cursor;
//     SectionEntry entry;
//     StartSectionEntries(&cursor, buffer, size);
//     while (NextSectionEntry(&cursor, &entry))
//         ...
// The lines end at the first empty one or at the end of the buffer; a last
// line that the buffer cuts off before its NUL is not returned.
void StartSectionEntries(SectionCursor *cursor, const char *buffer,
                         size_t size);
bool NextSectionEntry(SectionCursor *cursor, SectionEntry *entry);

// Whether two key names of length bytes are equal as the profile service
// compares them: letters A to Z in either case, every other byte
// (digits, Shift-JIS and other non-ASCII bytes) only itself.
bool KeyNamesEqual(const char *a, const char *b, size_t length);

// The index of a key of the list (FILE or PATH), in any letter case, when
// it is the key that FormatLogKey forms for that index, so that a read of
// the numbered key finds it ("FILE07", "file123"; not "FILE7", "FILE007").
// LOG_KEY_BEYOND for such a key of index LOG_SNAPSHOT_MAX_INDEX or more
// (however many digits); -1 for any other key.
int ParseLogKey(const char *key, size_t length, LogList list);

// The value a read of the numbered key of the list gives (the first line
// of that key, as the profile service finds it), or NULL when the section
// holds no such key. Values are returned as stored, quotes included.
const char *FindLogSectionValue(const char *buffer, size_t size,
                                LogList list, int index);

// What a read of the list key by key from 00 upward, stopping at the first
// missing or empty value, finds: *firstFree the number of that first gap,
// *match the first index below it whose value equals value byte for byte
// (-1 when none; value NULL looks for nothing). Keys numbered past the gap
// (FILE4160 behind a gap at FILE01) change neither.
// Returns 1 with both set, or 0 when only a read per key answers faithfully
// (the profile service strips the quotes of a quoted value, and the gap
// lies at LOG_SNAPSHOT_MAX_INDEX or beyond).
int ScanLogSection(const char *buffer, size_t size, LogList list,
                   const char *value, int *match, int *firstFree);

// Reading one section straight from the bytes of an INI file, fed in
// pieces of any size, for a section larger than any buffer one profile
// read could fill. Lines are read as the profile service reads them:
// blanks around keys and values dropped, "[name]" starting a section,
// names compared in either letter case. Every section of the name counts,
// so no line of the name is missed. Memory stays the same whatever the
// file holds: a key longer than LOG_KEY_SIZE bytes is handed on cut to
// that length, a value longer than a path cut to PATH_SIZE bytes (so
// neither is taken for a usable one).
typedef void (*SectionLineVisitor)(void *context, const SectionEntry *entry);

// A text of a line as it is gathered: length counts every byte, also
// those past the buffer; trimmed stops at the last byte that is no blank.
struct ScanText {
    size_t length;
    size_t trimmed;
};

struct SectionScanner {
    char wanted[LOG_SECTION_SIZE];
    bool inside;          // the lines belong to the wanted section
    int phase;            // where in the current line
    char key[LOG_KEY_SIZE + 1];   // also a header's name
    ScanText keyText;
    char value[PATH_SIZE + 1];
    ScanText valueText;
    SectionLineVisitor visit;
    void *context;
};

// Returns false when the section name does not fit.
bool StartSectionScan(SectionScanner *scanner, const char *section,
                      SectionLineVisitor visit, void *context);
void ScanSectionBytes(SectionScanner *scanner, const char *bytes,
                      size_t size);
// The last line, when the file does not end with a line break.
void FinishSectionScan(SectionScanner *scanner);
