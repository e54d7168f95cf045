#include "core/script/answer_file.h"

#include <stdio.h>
#include <string.h>

#include "core/text/ascii_case.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/path_join.h"

// By character: a trail byte of a double-byte name may be 0x5C or 0x2F.
static bool NamesFolder(const char *name)
{
    for (const char *p = name; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            return true;
    }
    return false;
}

int ResolveAnswerPath(const char *name, const char *programDirectory,
                      char *path, size_t size)
{
    if (size == 0)
        return name[0] == '\0' ? 0 : -1;
    path[0] = '\0';
    if (name[0] == '\0')
        return 0;
    size_t length = strlen(name);
    if (NamesFolder(name)) {
        if (length >= size)
            return -1;
        memcpy(path, name, length + 1);
        return 1;
    }
    size_t folderLength = strlen(programDirectory);
    if (folderLength >= size)
        return -1;
    memcpy(path, programDirectory, folderLength + 1);
    if (AppendPath(path, size, name) < 0) {
        path[0] = '\0';
        return -1;
    }
    return 1;
}

bool SectionListHolds(const char *names, size_t size, const char *wanted)
{
    size_t at = 0;
    while (at < size && names[at] != '\0') {
        const char *name = names + at;
        const void *end = memchr(name, '\0', size - at);
        if (end == NULL)
            return false;  // a name cut by the end of the list
        size_t length = (size_t)((const char *)end - name);
        if (CompareAsciiNoCase(name, wanted) == 0)
            return true;
        at += length + 1;
    }
    return false;
}

// The reader's widths: a longer value makes the unattended run refuse the
// file (a destination is refused by the folder check past PATH_SIZE - 1).
struct AnswerKey {
    const char *name;
    size_t width;
    bool mayBeEmpty;
};

static const AnswerKey kAnswerKeys[] = {
    {"Language", LANGUAGE_CODE_SIZE, true},
    {"Destination", PATH_SIZE, false},
    {"Group", GROUP_NAME_SIZE, false},
};

static const char *AnswerValue(const RecordedAnswers *answers, int index)
{
    const char *values[] = {answers->language, answers->destination,
                            answers->group};
    return values[index];
}

// Blanks at either end are dropped by the service, and two equal quotes
// around a value are taken off: both only survive inside quotes.
static bool NeedsQuotes(const char *value)
{
    size_t length = strlen(value);
    if (length == 0)
        return false;
    char first = value[0];
    char last = value[length - 1];
    if (IsProfileBlank((unsigned char)first) ||
        IsProfileBlank((unsigned char)last))
        return true;
    return length >= 2 && (first == '"' || first == '\'') && last == first;
}

// Appends "key=value\r\n" at *used. Returns false when it does not fit.
static bool AppendEntry(char *text, size_t size, size_t *used,
                        const char *key, const char *value)
{
    const char *quote = NeedsQuotes(value) ? "\"" : "";
    int written = snprintf(text + *used, size - *used, "%s=%s%s%s\r\n", key,
                           quote, value, quote);
    if (written < 0 || (size_t)written >= size - *used)
        return false;
    *used += (size_t)written;
    return true;
}

// No trail byte of any double-byte code page is below 0x40: a lead byte
// before a NUL, a line end or a quote is a broken character, which the
// service's conversion of the file would change.
static bool HasWholeCharacters(const char *value, int codePage)
{
    for (const char *p = value; *p != '\0'; p++) {
        if (IsDbcsLead((unsigned char)*p, codePage)) {
            if ((unsigned char)p[1] < 0x40)
                return false;
            p++;
        }
    }
    return true;
}

// Whether the written value of key reads back as exactly value.
static bool ReadsBack(const char *text, size_t length, const AnswerKey *key,
                      const char *value, int codePage)
{
    size_t valueLength = strlen(value);
    if (valueLength >= key->width || (valueLength == 0 && !key->mayBeEmpty) ||
        !HasWholeCharacters(value, codePage))
        return false;
    char read[PATH_SIZE + 1];
    size_t fullLength = 0;
    int line = 0;
    ReadIniString(text, length, "Setup", key->name, "", read, sizeof(read),
                  &line, &fullLength, codePage);
    return line != 0 && fullLength == valueLength &&
           strcmp(read, value) == 0;
}

AnswerTextResult BuildAnswerText(const RecordedAnswers *answers, char *text,
                                 size_t size, const char **refusedKey,
                                 int codePage)
{
    *refusedKey = NULL;
    if (size == 0)
        return ANSWER_TEXT_TOO_LONG;
    static const char header[] =
        "; Answers recorded from a clicked run of setup.exe -r.\r\n"
        "; Replay them with: setup.exe -s -a<this file>\r\n"
        "[Setup]\r\n";
    size_t used = 0;
    bool fits = snprintf(text, size, "%s", header) < (int)size;
    used = fits ? strlen(text) : 0;
    const int count = (int)(sizeof(kAnswerKeys) / sizeof(kAnswerKeys[0]));
    for (int i = 0; fits && i < count; i++)
        fits = AppendEntry(text, size, &used, kAnswerKeys[i].name,
                           AnswerValue(answers, i));
    if (!fits) {
        text[0] = '\0';
        return ANSWER_TEXT_TOO_LONG;
    }
    for (int i = 0; i < count; i++) {
        if (!ReadsBack(text, used, &kAnswerKeys[i], AnswerValue(answers, i),
                       codePage)) {
            *refusedKey = kAnswerKeys[i].name;
            text[0] = '\0';
            return ANSWER_TEXT_UNREADABLE;
        }
    }
    return ANSWER_TEXT_BUILT;
}

size_t ByteOrderMarkLength(const char *text, size_t size)
{
    static const char kMark[] = "\xEF\xBB\xBF";
    size_t length = sizeof(kMark) - 1;
    return size >= length && memcmp(text, kMark, length) == 0 ? length : 0;
}

bool HoldsSetupSection(const char *text, size_t size)
{
    size_t skip = ByteOrderMarkLength(text, size);
    IniLine header;
    return FindIniSection(text + skip, size - skip, "Setup", &header);
}

int ReadAnswerValue(const char *text, size_t size, const char *key,
                    char *value, size_t valueSize)
{
    if (valueSize == 0)
        return -1;
    size_t skip = ByteOrderMarkLength(text, size);
    size_t fullLength = 0;
    size_t length = ReadIniString(text + skip, size - skip, "Setup", key, "",
                                  value, valueSize, NULL, &fullLength);
    if (fullLength > valueSize - 1) {
        value[0] = '\0';
        return -1;
    }
    return length > 0 ? 1 : 0;
}
