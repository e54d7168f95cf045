#include "core/admin/quiet_uninstall.h"

#include <stdio.h>
#include <string.h>

#include "core/text/ascii_case.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static bool CopyPart(char *program, size_t size, const char *start,
                     const char *end)
{
    while (end > start && IsBlank(end[-1]))
        end--;
    size_t length = (size_t)(end - start);
    if (length == 0 || length >= size)
        return false;
    memcpy(program, start, length);
    program[length] = '\0';
    return true;
}

// Where the log argument begins when command ends with it (after a blank,
// quoted or not); NULL otherwise.
static const char *FindLogArgument(const char *command, const char *logPath,
                                   int codePage)
{
    size_t commandLength = strlen(command);
    while (commandLength > 0 && IsBlank(command[commandLength - 1]))
        commandLength--;
    size_t logLength = strlen(logPath);
    if (logLength == 0)
        return NULL;
    for (const char *p = command; *p != '\0'; p = NextChar(p, codePage)) {
        if (!IsBlank(*p))
            continue;
        const char *argument = p + 1;
        bool quoted = *argument == '"';
        size_t wanted = logLength + (quoted ? 2 : 0);
        if ((size_t)(argument - command) + wanted != commandLength)
            continue;
        const char *rest = SkipPrefixAsciiNoCase(
            argument + (quoted ? 1 : 0), logPath, codePage);
        if (rest != NULL && (!quoted || *rest == '"'))
            return p;
    }
    return NULL;
}

// The end of the first ".exe" that a blank or the end follows.
static const char *FindExeEnd(const char *command, int codePage)
{
    for (const char *p = command; *p != '\0'; p = NextChar(p, codePage)) {
        if (CompareAsciiNoCase(p, ".exe", 4) == 0 &&
            (p[4] == '\0' || IsBlank(p[4])))
            return p + 4;
    }
    return NULL;
}

bool FindUninstallerPath(const char *command, const char *logPath,
                         char *program, size_t size, int codePage)
{
    if (size == 0)
        return false;
    program[0] = '\0';
    while (IsBlank(*command))
        command++;
    if (*command == '"') {
        const char *end = strchr(command + 1, '"');
        return end != NULL && CopyPart(program, size, command + 1, end);
    }
    const char *logStart = FindLogArgument(command, logPath, codePage);
    if (logStart != NULL)
        return CopyPart(program, size, command, logStart);
    const char *end = command;
    while (*end != '\0' && !IsBlank(*end))
        end = NextChar(end, codePage);
    if (*end == '\0')
        return CopyPart(program, size, command, end);
    end = FindExeEnd(command, codePage);
    return end != NULL && CopyPart(program, size, command, end);
}

bool FormQuietUninstallCommand(const char *program, const char *logPath,
                               char *quiet, size_t size)
{
    if (size == 0)
        return false;
    quiet[0] = '\0';
    if (program[0] == '\0' || logPath[0] == '\0' ||
        strchr(program, '"') != NULL || strchr(logPath, '"') != NULL)
        return false;
    int wanted = snprintf(quiet, size, "\"%s\" -s \"%s\"", program, logPath);
    if (wanted < 0 || (size_t)wanted >= size) {
        quiet[0] = '\0';
        return false;
    }
    return true;
}
