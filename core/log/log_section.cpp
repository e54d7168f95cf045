#include "core/log/log_section.h"

#include <string.h>

#include "core/text/ascii_case.h"

void StartSectionEntries(SectionCursor *cursor, const char *buffer,
                         size_t size)
{
    cursor->next = buffer;
    cursor->end = buffer + size;
}

bool NextSectionEntry(SectionCursor *cursor, SectionEntry *entry)
{
    const char *line = cursor->next;
    if (line >= cursor->end || *line == '\0')
        return false;
    const char *lineEnd =
        (const char *)memchr(line, '\0', (size_t)(cursor->end - line));
    if (lineEnd == NULL) {
        cursor->next = cursor->end;
        return false;
    }
    size_t lineLength = (size_t)(lineEnd - line);
    const char *equals = (const char *)memchr(line, '=', lineLength);
    entry->key = line;
    entry->keyLength = equals != NULL ? (size_t)(equals - line) : lineLength;
    entry->value = equals != NULL ? equals + 1 : lineEnd;
    entry->valueLength = (size_t)(lineEnd - entry->value);
    cursor->next = lineEnd + 1;
    return true;
}

bool KeyNamesEqual(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

static const char *ListPrefix(LogList list)
{
    return list == LOG_FILES ? "FILE" : "PATH";
}

int ParseLogKey(const char *key, size_t length, LogList list)
{
    // FormatLogKey writes at least two digits, and a leading zero only in
    // a two-digit number.
    if (length < 6 || !KeyNamesEqual(key, ListPrefix(list), 4))
        return -1;
    const char *digits = key + 4;
    size_t count = length - 4;
    if (count > 2 && digits[0] == '0')
        return -1;
    int index = 0;
    for (size_t i = 0; i < count; i++) {
        if (digits[i] < '0' || digits[i] > '9')
            return -1;
        // Add the digit before the limit test, so the index returned is
        // always below the limit; stay there so no digit count overflows.
        if (index < LOG_SNAPSHOT_MAX_INDEX)
            index = index * 10 + (digits[i] - '0');
    }
    return index < LOG_SNAPSHOT_MAX_INDEX ? index : LOG_KEY_BEYOND;
}

const char *FindLogSectionValue(const char *buffer, size_t size,
                                LogList list, int index)
{
    char key[LOG_KEY_SIZE];
    int keyLength = FormatLogKey(key, sizeof(key), list, index);
    if (keyLength < 0)
        return NULL;
    SectionCursor cursor;
    SectionEntry entry;
    StartSectionEntries(&cursor, buffer, size);
    while (NextSectionEntry(&cursor, &entry))
        if (entry.keyLength == (size_t)keyLength &&
            KeyNamesEqual(entry.key, key, entry.keyLength))
            return entry.value;
    return NULL;
}

static bool TestBit(const unsigned char *bits, int index)
{
    return (bits[index / 8] & (1 << (index % 8))) != 0;
}

static void SetBit(unsigned char *bits, int index)
{
    bits[index / 8] |= (unsigned char)(1 << (index % 8));
}

int ScanLogSection(const char *buffer, size_t size, LogList list,
                   const char *value, int *match, int *firstFree)
{
    unsigned char seen[LOG_SNAPSHOT_MAX_INDEX / 8] = {0};
    unsigned char filled[LOG_SNAPSHOT_MAX_INDEX / 8] = {0};
    int found = LOG_SNAPSHOT_MAX_INDEX;
    SectionCursor cursor;
    SectionEntry entry;
    StartSectionEntries(&cursor, buffer, size);
    while (NextSectionEntry(&cursor, &entry)) {
        // Keys numbered past what is tracked lie past the first gap unless
        // every tracked number is filled, which is answered per key below.
        int index = ParseLogKey(entry.key, entry.keyLength, list);
        if (index < 0)
            continue;
        // The first of keys written twice is the one a read finds.
        if (TestBit(seen, index))
            continue;
        SetBit(seen, index);
        if (entry.value[0] == '"' || entry.value[0] == '\'')
            return 0;
        if (entry.value[0] == '\0')
            continue;
        SetBit(filled, index);
        if (value != NULL && index < found && strcmp(entry.value, value) == 0)
            found = index;
    }
    int gap = 0;
    while (gap < LOG_SNAPSHOT_MAX_INDEX && TestBit(filled, gap))
        gap++;
    if (gap == LOG_SNAPSHOT_MAX_INDEX)
        return 0;
    *firstFree = gap;
    *match = found < gap ? found : -1;
    return 1;
}
