// Key and section names of the uninstall log. Installed files are listed
// under the file section's own name as FILE00, FILE01 ... FILE99, FILE100;
// folders under its path section (Files_DLL gives Paths_DLL) as PATH00 ...;
// the destination folder of a section under UNINSTALL_<section> "PATH".
#pragma once

#include <stddef.h>

// The folders an install run created, each once, as PATH00, PATH01 ... of
// their own section; the key "Complete" says the run listed every folder it
// created. A log without it (an older setup) lists none.
#define CREATED_FOLDERS_SECTION "Created_Folders"
#define CREATED_FOLDERS_COMPLETE "Complete"

enum LogList {
    LOG_FILES,   // "FILE%02d"
    LOG_PATHS,   // "PATH%02d"
};

// The numbered key of a list. Returns its length, or -1 (key empty) when
// it does not fit or the index is negative.
int FormatLogKey(char *key, size_t size, LogList list, int index);

// The file section's name with its first four characters overwritten by
// "Path" ("Files_Common" gives "Paths_Common"; a name of four characters or
// fewer gives "Path"). Returns the length, or -1 (empty) when it does not
// fit.
int FormPathSectionName(char *name, size_t size, const char *fileSection);

// "UNINSTALL_" followed by the file section's name. Returns the length, or
// -1 (empty) when it does not fit.
int FormUninstallSectionName(char *name, size_t size,
                             const char *fileSection);
