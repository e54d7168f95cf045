// setup.exe -s: the installation without a person. No window and no box;
// the answer file (-a<file>) settles what the wizard would ask, and the
// exit code and the report say how it went.
#pragma once

#include <stddef.h>

#include "core/exit_codes.h"
#include "core/setup_limits.h"

// The whole unattended run over the shared setup state, from the command
// line copy to the end of the installation, with g_unattended set.
// Returns the exit code.
int RunUnattended(const char *commandLine);

// The answer file's text, read whole: the profile service would take a
// byte-order mark for part of the first line and find no [Setup] there.
struct AnswerText {
    char text[ANSWER_FILE_SIZE];
    size_t size;
};

// Returns false for a file that is missing, a folder, unreadable, or
// larger than the buffer (read cut, it could give a cut value).
bool LoadAnswerFile(const char *path, AnswerText *answer);

// The answer file a -a token names (relative names below programDirectory),
// read whole. Returns false when it cannot be used: a name that does not
// resolve, a file LoadAnswerFile refuses, or no [Setup] section.
bool LoadNamedAnswerFile(const char *name, const char *programDirectory,
                         AnswerText *answer);
