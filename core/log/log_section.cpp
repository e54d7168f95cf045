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

// ---- Reading a section from the file's bytes ----

enum ScanPhase {
    SCAN_LINE_START,   // blanks before anything
    SCAN_KEY,
    SCAN_VALUE,
    SCAN_HEADER,       // after '['
    SCAN_SKIP          // the rest of a line that matters no more
};

static bool IsProfileBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool StartSectionScan(SectionScanner *scanner, const char *section,
                      SectionLineVisitor visit, void *context)
{
    memset(scanner, 0, sizeof(*scanner));
    scanner->visit = visit;
    scanner->context = context;
    size_t length = strlen(section);
    // The header's name is gathered where a key is.
    if (length >= sizeof(scanner->key))
        return false;
    memcpy(scanner->wanted, section, length + 1);
    return true;
}

// Adds c to the text as far as size allows; the length goes on counting,
// so a text longer than its buffer shows. Blanks at the start are
// dropped, those at the end are not counted in *trimmed.
static void AddChar(ScanText *text, char *buffer, size_t size, char c)
{
    bool blank = IsProfileBlank(c);
    if (blank && text->length == 0)
        return;
    if (text->length < size - 1)
        buffer[text->length] = c;
    text->length++;
    if (!blank)
        text->trimmed = text->length;
}

// The bytes of a text kept in its buffer of size bytes, terminated.
static size_t EndText(const ScanText *text, char *buffer, size_t size)
{
    size_t kept = text->trimmed < size - 1 ? text->trimmed : size - 1;
    buffer[kept] = '\0';
    return kept;
}

static void EndHeader(SectionScanner *scanner)
{
    size_t length = EndText(&scanner->keyText, scanner->key,
                            sizeof(scanner->key));
    scanner->inside = scanner->keyText.trimmed == length &&
                      length == strlen(scanner->wanted) &&
                      KeyNamesEqual(scanner->key, scanner->wanted, length);
    scanner->phase = SCAN_SKIP;
}

static void EndLine(SectionScanner *scanner)
{
    if (scanner->phase == SCAN_HEADER)
        EndHeader(scanner);   // "[name" without its bracket
    if (scanner->inside && (scanner->phase == SCAN_KEY ||
                            scanner->phase == SCAN_VALUE)) {
        SectionEntry line;
        line.key = scanner->key;
        line.keyLength = EndText(&scanner->keyText, scanner->key,
                                 sizeof(scanner->key));
        line.value = scanner->value;
        line.valueLength = EndText(&scanner->valueText, scanner->value,
                                   sizeof(scanner->value));
        scanner->visit(scanner->context, &line);
    }
    scanner->phase = SCAN_LINE_START;
    memset(&scanner->keyText, 0, sizeof(scanner->keyText));
    memset(&scanner->valueText, 0, sizeof(scanner->valueText));
}

static void ScanChar(SectionScanner *scanner, char c)
{
    switch (scanner->phase) {
    case SCAN_LINE_START:
        if (IsProfileBlank(c))
            return;
        if (c == '[') {
            scanner->phase = SCAN_HEADER;
            return;
        }
        scanner->phase = SCAN_KEY;
        // fall through
    case SCAN_KEY:
        if (c == '=')
            scanner->phase = SCAN_VALUE;
        else
            AddChar(&scanner->keyText, scanner->key, sizeof(scanner->key), c);
        return;
    case SCAN_VALUE:
        AddChar(&scanner->valueText, scanner->value, sizeof(scanner->value),
                c);
        return;
    case SCAN_HEADER:
        if (c == ']')
            EndHeader(scanner);
        else
            AddChar(&scanner->keyText, scanner->key, sizeof(scanner->key), c);
        return;
    default:
        return;
    }
}

void ScanSectionBytes(SectionScanner *scanner, const char *bytes, size_t size)
{
    for (size_t i = 0; i < size; i++) {
        if (bytes[i] == '\n')
            EndLine(scanner);
        else
            ScanChar(scanner, bytes[i]);
    }
}

void FinishSectionScan(SectionScanner *scanner)
{
    EndLine(scanner);
}
