// The answer file of an unattended run: where it lies and whether a
// profile file is one. No Win32 call, so both are fuzzed.
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
