// Splitting of command lines and list values. Tokens follow the classic
// rules: a run of separators counts as one and leading separators are
// skipped. Every output is cut to its buffer.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/text/dbcs.h"

// Reads the next token from *cursor into token (size bytes, cut to fit)
// and moves *cursor behind it and its closing separator. Returns false
// when no token is left.
bool NextToken(const char **cursor, const char *separators, char *token,
               size_t size, int codePage = CURRENT_CODE_PAGE);

struct CommandLineOptions {
    bool languageGiven;       // a "-l" token was seen
    bool noLicense;           // a "NoLic" token was seen
    bool unattended;          // a "-s" token was seen
    bool verifyMedia;         // a "-v" token was seen
    bool answerGiven;         // a "-a" token was seen
    char answerFile[COMMAND_LINE_SIZE];  // the last "-a" token's rest
    bool recordGiven;         // a "-r" token was seen
    char recordFile[COMMAND_LINE_SIZE];  // the last "-r" token's rest
    bool recordMayBeCut;      // that token ends a command line as long as
                              // its copy can be: its name may be cut
    bool msiCodes;            // a "-m" token: Windows Installer's codes
    bool reportGiven;         // a "-o" token was seen
    char reportFile[COMMAND_LINE_SIZE];  // the last "-o" token's rest
    bool reportMayBeCut;      // as recordMayBeCut, for that token
};

// Splits a command line at spaces (tabs and quotes are ordinary
// characters). "-l<code>" (any case of the l) sets the language code, the
// last one winning; a token beginning with "NoLic" (any case) sets the
// no-licence flag. The token "-s" (either case) asks for an unattended
// run, "-v" (either case) for a check of the media against their checksum
// list, "-a<file>" (any case of the a) names its answer file and
// "-r<file>" (any case of the r) the file an interactive run records its
// answers in, the last one winning. "-m" (either case) asks for Windows
// Installer's exit codes, "-o<file>" (any case of the o) names the report
// of the run, the last one winning. The code is cut to codeSize - 1 bytes.
CommandLineOptions ParseCommandLine(const char *commandLine,
                                    char *languageCode, size_t codeSize);

// Splits a language list value "Name;code": the name is the first
// ";"-separated token, the code the second (empty when there is none).
void SplitListValue(const char *value, char *name, size_t nameSize,
                    char *code, size_t codeSize,
                    int codePage = CURRENT_CODE_PAGE);
