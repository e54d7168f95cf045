// The answer file of an unattended run: where it lies, whether a file is
// one, and its [Setup] values. No Win32 call, so all are fuzzed.
#pragma once

#include <stddef.h>

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
