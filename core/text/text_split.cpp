#include "core/text/text_split.h"

#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/setup_limits.h"

bool NextToken(const char **cursor, const char *separators, char *token,
               size_t size, int codePage)
{
    const char *p = *cursor;
    while (*p != '\0' && strchr(separators, *p) != NULL)
        p++;
    if (*p == '\0') {
        *cursor = p;
        if (size > 0)
            token[0] = '\0';
        return false;
    }
    const char *start = p;
    while (*p != '\0' && strchr(separators, *p) == NULL)
        p = NextChar(p, codePage);
    if (size > 0) {
        // The cut is found on the source: in a cut copy the lead byte of a
        // split double-byte character would pass for a character of its own.
        const char *end = start;
        while (end < p &&
               (size_t)(NextChar(end, codePage) - start) <= size - 1)
            end = NextChar(end, codePage);
        size_t kept = (size_t)(end - start);
        memcpy(token, start, kept);
        token[kept] = '\0';
    }
    *cursor = (*p != '\0') ? p + 1 : p;
    return true;
}

static bool StartsWithNoCase(const char *text, const char *prefix)
{
    return CompareAsciiNoCase(text, prefix, strlen(prefix)) == 0;
}

// A longer command line was cut to its copy's width; a token that runs
// to that end may have lost its tail.
static bool EndsCutCommandLine(const char *commandLine, const char *cursor)
{
    return *cursor == '\0' && cursor[-1] != ' ' &&
           strlen(commandLine) >= COMMAND_LINE_SIZE - 1;
}

CommandLineOptions ParseCommandLine(const char *commandLine,
                                    char *languageCode, size_t codeSize)
{
    CommandLineOptions options;
    memset(&options, 0, sizeof(options));
    char token[COMMAND_LINE_SIZE];
    const char *cursor = commandLine;
    while (NextToken(&cursor, " ", token, sizeof(token))) {
        if (StartsWithNoCase(token, "-l")) {
            CopyText(languageCode, codeSize, token + 2);
            options.languageGiven = true;
        }
        if (StartsWithNoCase(token, "NoLic"))
            options.noLicense = true;
        if (CompareAsciiNoCase(token, "-s") == 0)
            options.unattended = true;
        if (CompareAsciiNoCase(token, "-v") == 0)
            options.verifyMedia = true;
        if (StartsWithNoCase(token, "-a")) {
            CopyText(options.answerFile, sizeof(options.answerFile),
                     token + 2);
            options.answerGiven = true;
        }
        if (StartsWithNoCase(token, "-r")) {
            CopyText(options.recordFile, sizeof(options.recordFile),
                     token + 2);
            options.recordGiven = true;
            options.recordMayBeCut = EndsCutCommandLine(commandLine, cursor);
        }
        if (CompareAsciiNoCase(token, "-m") == 0)
            options.msiCodes = true;
        if (StartsWithNoCase(token, "-o")) {
            CopyText(options.reportFile, sizeof(options.reportFile),
                     token + 2);
            options.reportGiven = true;
            options.reportMayBeCut = EndsCutCommandLine(commandLine, cursor);
        }
    }
    return options;
}

void SplitListValue(const char *value, char *name, size_t nameSize,
                    char *code, size_t codeSize, int codePage)
{
    const char *cursor = value;
    NextToken(&cursor, ";", name, nameSize, codePage);
    NextToken(&cursor, ";", code, codeSize, codePage);
}
