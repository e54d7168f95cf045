// A whole uninstall-log section buffer (lines ending in NUL, one more NUL
// at the end, or cut off anywhere) scanned for a value, against a model of
// a read of every numbered key from 00 upward: the first gap and the first
// match agree whenever the scan answers, every entry lies inside the
// buffer, every key index returned is one that can be tracked, and the
// value found for it is the one a read of that key gives.
// Input: option byte (bit 0: PATH list, bit 1: close the buffer with two
// NULs), the value looked for, then the section bytes.
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "core/log/log_section.h"

// The value a read of the numbered key gives, as the profile service finds
// it: the first line whose whole key is the formed key in any letter case.
static const char *ModelValue(const char *buffer, size_t size, LogList list,
                              int index)
{
    char key[LOG_KEY_SIZE];
    int keyLength = FormatLogKey(key, sizeof(key), list, index);
    const char *end = buffer + size;
    for (const char *line = buffer; line < end && *line != '\0';) {
        const char *lineEnd = (const char *)memchr(line, '\0', end - line);
        if (lineEnd == NULL)
            return NULL;
        const char *equals =
            (const char *)memchr(line, '=', (size_t)(lineEnd - line));
        size_t length = equals ? (size_t)(equals - line) : lineEnd - line;
        if (length == (size_t)keyLength && strncasecmp(line, key, length) == 0)
            return equals ? equals + 1 : lineEnd;
        line = lineEnd + 1;
    }
    return NULL;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    LogList list = (options & 1) ? LOG_PATHS : LOG_FILES;
    char *value = TakeField(&reader);
    size_t length;
    uint8_t *rest = TakeRest(&reader, &length);
    size_t bufferSize = length + ((options & 2) ? 2 : 0);
    char *buffer = (char *)malloc(bufferSize ? bufferSize : 1);
    if (length > 0)
        memcpy(buffer, rest, length);
    if (options & 2)
        buffer[length] = buffer[length + 1] = '\0';

    SectionCursor cursor;
    SectionEntry entry;
    StartSectionEntries(&cursor, buffer, bufferSize);
    while (NextSectionEntry(&cursor, &entry)) {
        FUZZ_CHECK(entry.key >= buffer &&
                   entry.value + entry.valueLength < buffer + bufferSize);
        FUZZ_CHECK(entry.value[entry.valueLength] == '\0');
        int index = ParseLogKey(entry.key, entry.keyLength, list);
        FUZZ_CHECK(index >= LOG_KEY_BEYOND && index < LOG_SNAPSHOT_MAX_INDEX);
        if (index >= 0)
            FUZZ_CHECK(FindLogSectionValue(buffer, bufferSize, list, index) ==
                       ModelValue(buffer, bufferSize, list, index));
    }

    int match = -7;
    int firstFree = -7;
    const char *wanted = (options & 4) ? NULL : value;
    if (ScanLogSection(buffer, bufferSize, list, wanted, &match, &firstFree)) {
        int gap = 0;
        int modelMatch = -1;
        for (;; gap++) {
            const char *logged = ModelValue(buffer, bufferSize, list, gap);
            if (logged == NULL || logged[0] == '\0')
                break;
            FUZZ_CHECK(logged[0] != '"' && logged[0] != '\'');
            if (wanted != NULL && modelMatch < 0 && strcmp(logged, wanted) == 0)
                modelMatch = gap;
        }
        FUZZ_CHECK(firstFree == gap);
        FUZZ_CHECK(match == modelMatch);
    }
    free(buffer);
    free(rest);
    free(value);
    return 0;
}
