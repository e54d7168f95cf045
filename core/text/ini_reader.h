// An INI file held in memory, read the way the Windows profile service
// (GetPrivateProfileStringA) reads it, so that a program that has no
// profile service, or that wants line numbers, sees what setup sees.
//
// How the service reads a file (measured against Wine's, which the
// differential test holds this reader to):
//  - a line ends at CR LF, LF or CR;
//  - blanks around a line, around a name and around a value are dropped
//    (blanks: space, tab, CR, LF, VT, FF and Ctrl-Z);
//  - "[name]" starts a section: the name runs to the last "]" of the line,
//    blanks dropped; lines before the first header belong to a section
//    with the empty name; a line holding "=" is an entry; any other
//    line is an entry without a value, which a read finds and answers
//    with the default;
//  - names match without regard to ASCII case; the first section of a
//    name is the only one searched, and in it the first key wins;
//  - a value enclosed in two equal quotes (" or ') loses them;
//  - a NUL byte ends the name or value it stands in.
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

enum IniLineKind {
    INI_BLANK,     // empty or blanks only
    INI_SECTION,   // "[name]"
    INI_ENTRY,     // key=value, or a line without "=" (value NULL)
};

struct IniLine {
    IniLineKind kind;
    int number;              // from 1
    const char *start;       // the line without its end
    size_t length;
    const char *name;        // section name or key, blanks dropped
    size_t nameLength;
    const char *value;       // blanks dropped, quotes kept; NULL: no "="
    size_t valueLength;
};

struct IniCursor {
    const char *text;
    size_t size;
    size_t offset;
    int number;
    int codePage;   // whose lead bytes take the next byte along
};

void StartIniLines(IniCursor *cursor, const char *text, size_t size,
                   int codePage = CURRENT_CODE_PAGE);
// The next line; false at the end of the text.
bool NextIniLine(IniCursor *cursor, IniLine *line);

bool IsProfileBlank(unsigned char c);
// ASCII case-insensitive comparison of a counted name with a C string.
bool IniNameEquals(const char *name, size_t length, const char *wanted);

// The header of the first section named section, or false.
bool FindIniSection(const char *text, size_t size, const char *section,
                    IniLine *header, int codePage = CURRENT_CODE_PAGE);
// The line of key in the first section named section, or false.
bool FindIniEntry(const char *text, size_t size, const char *section,
                  const char *key, IniLine *entry,
                  int codePage = CURRENT_CODE_PAGE);

// The text a read of the entry gives: its value without enclosing quotes.
// An entry without "=" gives NULL.
const char *IniEntryText(const IniLine *entry, size_t *length);

// As GetPrivateProfileStringA: the value, or defaultValue when the key is
// missing or has no "=", cut to bufferSize - 1 bytes at a whole character
// (code page of common/dbcs.h). *line (may be NULL) gets the entry's line
// number, 0 when the default was used. *fullLength (may be NULL) gets the
// length before the cut. Returns the length copied.
size_t ReadIniString(const char *text, size_t size, const char *section,
                     const char *key, const char *defaultValue, char *buffer,
                     size_t bufferSize, int *line, size_t *fullLength,
                     int codePage = CURRENT_CODE_PAGE);

// As GetPrivateProfileIntA: the value read into 30 characters, blanks
// skipped, an optional sign, "0x", "0o" or "0b" for another base, digits
// up to the first other character; defaultValue when the value is missing
// or empty.
int ReadIniInt(const char *text, size_t size, const char *section,
               const char *key, int defaultValue, int *line,
               int codePage = CURRENT_CODE_PAGE);
