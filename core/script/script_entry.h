// Splitting of install-script list entries into their fields. Fields are
// separated by ";" with the classic tokenizer rules: a run of separators
// counts as one and leading separators are skipped, so a field cannot be
// left empty in the middle ("T;F;;A" has the third field "A").
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/text/dbcs.h"

// "file%03d" of a file section: file name;source folder;destination folder.
struct FileEntry {
    int fieldCount;                      // fields present, at most 3 counted
    bool tooLong;                        // a field did not fit its buffer
    char fileName[PATH_SIZE];
    char sourceFolder[PATH_SIZE];        // empty when absent
    char destinationFolder[PATH_SIZE];   // empty when absent
};

// "Icon%03d" of a shortcut or startup section: title;file;folder;arguments.
struct ShortcutEntry {
    int fieldCount;                      // fields present, at most 4 counted
    bool tooLong;                        // a field did not fit its buffer
    char title[PATH_SIZE];
    char file[PATH_SIZE];
    char folder[PATH_SIZE];              // empty when absent
    char arguments[PATH_SIZE];           // empty when absent
};

// Both fill every field (absent ones empty) and ignore fields after the
// last one they know. A field longer than its buffer sets tooLong and is
// left empty rather than cut, so a cut name is never used as a file name.
void SplitFileEntry(const char *value, FileEntry *entry,
                    int codePage = CURRENT_CODE_PAGE);
void SplitShortcutEntry(const char *value, ShortcutEntry *entry,
                        int codePage = CURRENT_CODE_PAGE);
