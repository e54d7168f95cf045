// The "file%03d" entries of one install-script file section. Reading a
// profile key costs a check of the file, so the section is read in one go
// when what it holds reads the same that way; otherwise every entry is
// read by itself.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"

struct FileSectionReader {
    const char *scriptPath;
    const char *section;
    char *text;   // the whole section, or NULL: entries are read per key
    const char *values[MAX_SCRIPT_ENTRIES];   // into text; NULL: absent
};

// wholeSection false: every entry is read by itself, as the file holds it
// at the time.
void OpenFileSection(FileSectionReader *reader, const char *scriptPath,
                     const char *section, bool wholeSection);
void CloseFileSection(FileSectionReader *reader);

// The value of "file%03d" (index 0 to MAX_SCRIPT_ENTRIES - 1), as
// GetPrivateProfileString reads it into a buffer of size; "" when absent.
void ReadFileValue(const FileSectionReader *reader, int index, char *value,
                   size_t size);
