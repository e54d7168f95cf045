#include "core/text/ini_reader.h"

#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"

bool IsProfileBlank(unsigned char c)
{
    // Ctrl-Z is a DOS end-of-file mark that old editors leave behind.
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

bool IniNameEquals(const char *name, size_t length, const char *wanted)
{
    for (size_t i = 0; i < length; i++) {
        if (wanted[i] == '\0' || LowerAscii(name[i]) != LowerAscii(wanted[i]))
            return false;
    }
    return wanted[length] == '\0';
}

void StartIniLines(IniCursor *cursor, const char *text, size_t size,
                   int codePage)
{
    cursor->codePage = codePage;
    cursor->text = text;
    cursor->size = size;
    cursor->offset = 0;
    cursor->number = 0;
}

// A counted span ends at its first NUL, as the service's strings do.
static size_t CutAtNul(const char *span, size_t length)
{
    const char *nul = (const char *)memchr(span, '\0', length);
    return nul != NULL ? (size_t)(nul - span) : length;
}

static void TrimSpan(const char **start, size_t *length)
{
    while (*length > 0 && IsProfileBlank((unsigned char)**start)) {
        (*start)++;
        (*length)--;
    }
    while (*length > 0 && IsProfileBlank((unsigned char)(*start)[*length - 1]))
        (*length)--;
}

// The last "]" of a line that is a character of its own (the second byte
// of a double-byte character may be 0x5D), past the opening "[".
static bool FindLastClose(const char *start, size_t length, int codePage,
                          size_t *close)
{
    bool found = false;
    size_t i = 1;
    while (i < length) {
        if (start[i] == ']') {
            *close = i;
            found = true;
        }
        i += IsDbcsLead((unsigned char)start[i], codePage) && i + 1 < length
                 ? 2
                 : 1;
    }
    return found;
}

static void ClassifyLine(IniLine *line, int codePage)
{
    const char *start = line->start;
    size_t length = line->length;
    TrimSpan(&start, &length);
    line->name = start;
    line->nameLength = 0;
    line->value = NULL;
    line->valueLength = 0;
    if (length == 0) {
        line->kind = INI_BLANK;
        return;
    }
    size_t close = 0;
    if (start[0] == '[' && FindLastClose(start, length, codePage, &close)) {
        const char *name = start + 1;
        size_t nameLength = close - 1;
        TrimSpan(&name, &nameLength);
        line->kind = INI_SECTION;
        line->name = name;
        line->nameLength = CutAtNul(name, nameLength);
        return;
    }
    line->kind = INI_ENTRY;
    // "=" is never the second byte of a double-byte character.
    const char *equals = (const char *)memchr(start, '=', length);
    size_t nameLength = equals != NULL ? (size_t)(equals - start) : length;
    const char *name = start;
    TrimSpan(&name, &nameLength);
    line->name = name;
    line->nameLength = CutAtNul(name, nameLength);
    if (equals == NULL)
        return;
    const char *value = equals + 1;
    size_t valueLength = length - (size_t)(value - start);
    TrimSpan(&value, &valueLength);
    line->value = value;
    line->valueLength = CutAtNul(value, valueLength);
}

bool NextIniLine(IniCursor *cursor, IniLine *line)
{
    if (cursor->offset >= cursor->size)
        return false;
    const char *start = cursor->text + cursor->offset;
    size_t rest = cursor->size - cursor->offset;
    // A lead byte takes the byte behind it along, even a line end, as the
    // service's conversion of the text does.
    size_t length = 0;
    while (length < rest && start[length] != '\n' && start[length] != '\r')
        length += IsDbcsLead((unsigned char)start[length],
                             cursor->codePage) &&
                          length + 1 < rest ? 2 : 1;
    if (length > rest)
        length = rest;
    cursor->offset += length;
    // CR LF is one line end; a CR or an LF alone is one as well.
    if (length < rest) {
        bool crlf = start[length] == '\r' && length + 1 < rest &&
                    start[length + 1] == '\n';
        cursor->offset += crlf ? 2 : 1;
    }
    cursor->number++;
    line->number = cursor->number;
    line->start = start;
    line->length = length;
    ClassifyLine(line, cursor->codePage);
    return true;
}

bool FindIniSection(const char *text, size_t size, const char *section,
                    IniLine *header, int codePage)
{
    IniCursor cursor;
    StartIniLines(&cursor, text, size, codePage);
    IniLine line;
    while (NextIniLine(&cursor, &line)) {
        if (line.kind == INI_SECTION &&
            IniNameEquals(line.name, line.nameLength, section)) {
            *header = line;
            return true;
        }
    }
    return false;
}

bool FindIniEntry(const char *text, size_t size, const char *section,
                  const char *key, IniLine *entry, int codePage)
{
    IniCursor cursor;
    StartIniLines(&cursor, text, size, codePage);
    IniLine line;
    // Lines before the first header belong to a section without a name.
    bool inSection = section[0] == '\0';
    while (NextIniLine(&cursor, &line)) {
        if (line.kind == INI_SECTION) {
            // Only the first section of the name is searched.
            if (inSection)
                return false;
            inSection = IniNameEquals(line.name, line.nameLength, section);
        } else if (inSection && line.kind == INI_ENTRY &&
                   IniNameEquals(line.name, line.nameLength, key)) {
            *entry = line;
            return true;
        }
    }
    return false;
}

const char *IniEntryText(const IniLine *entry, size_t *length)
{
    const char *value = entry->value;
    *length = entry->valueLength;
    if (value == NULL)
        return NULL;
    if (*length >= 2 && (value[0] == '"' || value[0] == '\'') &&
        value[*length - 1] == value[0]) {
        value++;
        *length -= 2;
    }
    return value;
}

// Copies at most bufferSize - 1 bytes of a counted text and never splits
// a double-byte character. Returns the bytes copied.
static size_t CopyCounted(char *buffer, size_t bufferSize, const char *text,
                          size_t length, int codePage)
{
    size_t used = 0;
    while (used < length) {
        size_t step = IsDbcsLead((unsigned char)text[used], codePage) &&
                              used + 1 < length ? 2 : 1;
        if (used + step > bufferSize - 1)
            break;
        used += step;
    }
    memcpy(buffer, text, used);
    buffer[used] = '\0';
    return used;
}

size_t ReadIniString(const char *text, size_t size, const char *section,
                     const char *key, const char *defaultValue, char *buffer,
                     size_t bufferSize, int *line, size_t *fullLength,
                     int codePage)
{
    IniLine entry;
    const char *value = NULL;
    size_t length = 0;
    if (FindIniEntry(text, size, section, key, &entry, codePage))
        value = IniEntryText(&entry, &length);
    if (line != NULL)
        *line = value != NULL ? entry.number : 0;
    if (value == NULL) {
        value = defaultValue;
        length = strlen(defaultValue);
    }
    if (fullLength != NULL)
        *fullLength = length;
    if (bufferSize == 0)
        return 0;
    return CopyCounted(buffer, bufferSize, value, length, codePage);
}

static int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

int ReadIniInt(const char *text, size_t size, const char *section,
               const char *key, int defaultValue, int *line, int codePage)
{
    char value[30];
    ReadIniString(text, size, section, key, "", value, sizeof(value), line,
                  NULL, codePage);
    if (value[0] == '\0')
        return defaultValue;
    const char *p = value;
    while (*p != '\0' && (unsigned char)*p <= ' ')
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'o' || p[1] == 'O')) {
        base = 8;
        p += 2;
    } else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
        base = 2;
        p += 2;
    }
    // Unsigned arithmetic: an overlong number wraps as the service's does.
    unsigned int result = 0;
    for (; DigitValue(*p) < base; p++)
        result = result * (unsigned int)base + (unsigned int)DigitValue(*p);
    return (int)(negative ? 0u - result : result);
}
