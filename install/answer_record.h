// setup.exe -r<file>: the answers of a clicked run, recorded as an answer
// file that setup.exe -s -a<file> replays to the same installation.
#pragma once

#include <windows.h>

enum RecordOutcome {
    RECORD_WRITTEN,
    RECORD_VALUE_REFUSED,   // an answer would not read back the same
    RECORD_NOT_REPLACED,    // a folder, a read-only file or a file that
                            // is no answer file stands at the path
    RECORD_NOT_WRITTEN,     // the folder is missing or cannot be written
};

// Writes the run's language, destination and group (the shared setup
// state) to path, whole: into a temporary file beside it, which is then
// renamed over it, so no half-written answer file ever stands there.
// *refusedKey names the answer of RECORD_VALUE_REFUSED.
RecordOutcome RecordAnswers(const char *path, const char **refusedKey);

