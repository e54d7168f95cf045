// The answer file of an unattended run: where it lies, whether a file is
// one, its [Setup] values, and the text a clicked run records. No Win32
// call, so all are fuzzed.
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

// The path of the answer file named on the command line into path (size
// bytes). A name without a folder (no backslash, slash or colon in it)
// lies beside setup.exe, in programDirectory; any other name is taken as
// given. Returns 1, 0 for an empty name, or -1 when the path does not fit;
// on 0 and -1 path is empty.
int ResolveAnswerPath(const char *name, const char *programDirectory,
                      char *path, size_t size);

// Whether a list of section names as the profile service gives it (names
// ending in NUL, one after the other, the list ending in an empty name or
// at size bytes) holds wanted, compared without regard to case.
bool SectionListHolds(const char *names, size_t size, const char *wanted);

// The answers of a clicked run, as an answer file records them.
struct RecordedAnswers {
    const char *language;      // empty: the program folder itself
    const char *destination;
    const char *group;
};

enum AnswerTextResult {
    ANSWER_TEXT_BUILT,
    ANSWER_TEXT_UNREADABLE,    // a value would not read back the same
    ANSWER_TEXT_TOO_LONG,      // the text does not fit its buffer
};

// The text of an answer file holding answers in its [Setup] section, CR LF
// line ends, in the code page the values are in. A value with blanks at
// either end, or enclosed in two equal quotes, is written inside double
// quotes, which the profile service takes off again. The text is read back
// the way the service reads it, and any value that would then differ
// (a line end inside, a lone lead byte at its end, an empty destination or
// group, which would read as "not given", or one longer than the
// unattended run's buffer) makes the result ANSWER_TEXT_UNREADABLE with
// *refusedKey naming the key. text is empty unless the result is
// ANSWER_TEXT_BUILT.
AnswerTextResult BuildAnswerText(const RecordedAnswers *answers, char *text,
                                 size_t size, const char **refusedKey,
                                 int codePage = CURRENT_CODE_PAGE);

// The length of a UTF-8 byte-order mark at the start of text (3), or 0.
// Editors put one before the first line; it is no part of "[Setup]".
size_t ByteOrderMarkLength(const char *text, size_t size);

// Whether the answer file's text (size bytes, a mark at its start
// skipped) holds a [Setup] section.
bool HoldsSetupSection(const char *text, size_t size);

// Reads key of the [Setup] section of the answer file's text (size bytes,
// read as the profile service reads it, a mark at its start skipped) into
// value (valueSize bytes). Returns 1, 0 when missing or empty, -1 when
// longer than valueSize - 1; on 0 and -1 value is empty.
int ReadAnswerValue(const char *text, size_t size, const char *key,
                    char *value, size_t valueSize);
