#include "core/log/journal.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/log/log_reader.h"

const char kStateInProgress[] = "in progress";
const char kStateComplete[] = "complete";

static const char *const kKindWords[] = {"file", "replace", "folder",
                                         "link", "key",     "value"};
static const char *const kRootWords[] = {"HKLM", "HKCU"};

bool IsJournalTag(const char *tag)
{
    size_t length = strlen(tag);
    if (length == 0 || length >= JOURNAL_TAG_SIZE)
        return false;
    for (const char *p = tag; *p != '\0'; p++) {
        char c = *p;
        bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '~' || c == '_';
        if (!allowed)
            return false;
    }
    return true;
}

// ---- Writing ----

struct LineWriter {
    char *text;
    size_t size;
    size_t length;
    bool fits;
};

static void Put(LineWriter *line, const char *part, size_t length)
{
    if (!line->fits || line->length + length >= line->size) {
        line->fits = false;
        return;
    }
    memcpy(line->text + line->length, part, length);
    line->length += length;
    line->text[line->length] = '\0';
}

static void PutText(LineWriter *line, const char *part)
{
    Put(line, part, strlen(part));
}

// One blank, then the bytes in hexadecimal, or "-" for none.
static void PutHex(LineWriter *line, const unsigned char *bytes,
                   size_t count)
{
    PutText(line, " ");
    if (count == 0) {
        PutText(line, "-");
        return;
    }
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < count; i++) {
        char pair[2] = {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 15]};
        Put(line, pair, sizeof(pair));
    }
}

static void PutHexText(LineWriter *line, const char *text)
{
    PutHex(line, (const unsigned char *)text, strlen(text));
}

// ",SIZE,TIME" behind the tag.
static void PutFingerprint(LineWriter *line, const JournalStep *step)
{
    char print[48];
    snprintf(print, sizeof(print), ",%llu,%016llX", step->fileSize,
             step->writeTime);
    PutText(line, print);
}

static bool FitsField(const char *text, size_t size)
{
    return memchr(text, '\0', size) != NULL;
}

int FormatJournalStep(const JournalStep *step, char *text, size_t size)
{
    if (size == 0)
        return -1;
    text[0] = '\0';
    if ((unsigned)step->kind > STEP_VALUE)
        return -1;
    LineWriter line = {text, size, 0, true};
    PutText(&line, kKindWords[step->kind]);
    switch (step->kind) {
    case STEP_FILE:
    case STEP_REPLACE:
        if (!FitsField(step->tag, sizeof(step->tag)) ||
            !IsJournalTag(step->tag))
            return -1;
        PutText(&line, " ");
        PutText(&line, step->tag);
        if (step->printed)
            PutFingerprint(&line, step);
        [[fallthrough]];   // the path follows
    case STEP_FOLDER:
    case STEP_LINK:
        if (!FitsField(step->path, sizeof(step->path)) ||
            step->path[0] == '\0')
            return -1;
        PutText(&line, " ");
        PutText(&line, step->path);
        break;
    case STEP_KEY:
    case STEP_VALUE:
        if ((unsigned)step->root > ROOT_CURRENT_USER ||
            !FitsField(step->key, sizeof(step->key)) ||
            step->key[0] == '\0' ||
            !FitsField(step->valueName, sizeof(step->valueName)) ||
            step->dataSize > sizeof(step->data))
            return -1;
        PutText(&line, " ");
        PutText(&line, kRootWords[step->root]);
        PutHexText(&line, step->key);
        if (step->kind == STEP_KEY)
            break;
        PutHexText(&line, step->valueName);
        if (step->absent) {
            PutText(&line, " - -");
            break;
        }
        char type[16];
        snprintf(type, sizeof(type), " %lu", step->type & 0xFFFFFFFFul);
        PutText(&line, type);
        PutHex(&line, step->data, step->dataSize);
        break;
    }
    if (!line.fits) {
        text[0] = '\0';
        return -1;
    }
    return (int)line.length;
}

// ---- Reading ----

// The next field of *cursor up to a blank or the end; *cursor moves past
// the blank. Returns false for an empty field.
static bool TakeField(const char **cursor, const char **field,
                      size_t *length)
{
    const char *start = *cursor;
    const char *end = strchr(start, ' ');
    if (end == NULL)
        end = start + strlen(start);
    *field = start;
    *length = (size_t)(end - start);
    *cursor = *end == ' ' ? end + 1 : end;
    return *length > 0;
}

static bool FieldIs(const char *field, size_t length, const char *word)
{
    return strlen(word) == length && memcmp(field, word, length) == 0;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Decodes a hexadecimal field ("-": no bytes) into bytes (capacity).
static bool DecodeHex(const char *field, size_t length, unsigned char *bytes,
                      size_t capacity, size_t *count)
{
    *count = 0;
    if (FieldIs(field, length, "-"))
        return true;
    if (length % 2 != 0 || length / 2 > capacity)
        return false;
    for (size_t i = 0; i < length; i += 2) {
        int high = HexDigit(field[i]);
        int low = HexDigit(field[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i / 2] = (unsigned char)(high * 16 + low);
    }
    *count = length / 2;
    return true;
}

// A hexadecimal text field: no NUL inside, room for its own NUL.
static bool DecodeHexText(const char *field, size_t length, char *text,
                          size_t size)
{
    size_t count;
    if (size == 0 ||
        !DecodeHex(field, length, (unsigned char *)text, size - 1, &count))
        return false;
    text[count] = '\0';
    return strlen(text) == count;
}

static bool CopyField(const char *field, size_t length, char *text,
                      size_t size)
{
    if (length >= size)
        return false;
    memcpy(text, field, length);
    text[length] = '\0';
    return true;
}

static bool ParseRoot(const char *field, size_t length, JournalRoot *root)
{
    for (int i = 0; i < 2; i++) {
        if (FieldIs(field, length, kRootWords[i])) {
            *root = (JournalRoot)i;
            return true;
        }
    }
    return false;
}

static bool ParseType(const char *field, size_t length, unsigned long *type)
{
    if (length == 0 || length > 10)
        return false;
    unsigned long long value = 0;
    for (size_t i = 0; i < length; i++) {
        if (field[i] < '0' || field[i] > '9')
            return false;
        value = value * 10 + (unsigned)(field[i] - '0');
    }
    if (value > 0xFFFFFFFFull)
        return false;
    *type = (unsigned long)value;
    return true;
}

static bool ParseRegistryFields(const char *cursor, JournalStep *step)
{
    const char *field;
    size_t length;
    if (!TakeField(&cursor, &field, &length) ||
        !ParseRoot(field, length, &step->root) ||
        !TakeField(&cursor, &field, &length) ||
        !DecodeHexText(field, length, step->key, sizeof(step->key)) ||
        step->key[0] == '\0')
        return false;
    if (step->kind == STEP_KEY)
        return *cursor == '\0' && cursor[-1] != ' ';
    if (!TakeField(&cursor, &field, &length) ||
        !DecodeHexText(field, length, step->valueName,
                       sizeof(step->valueName)) ||
        !TakeField(&cursor, &field, &length))
        return false;
    step->absent = FieldIs(field, length, "-");
    if (!step->absent && !ParseType(field, length, &step->type))
        return false;
    if (!TakeField(&cursor, &field, &length) || *cursor != '\0' ||
        cursor[-1] == ' ')
        return false;
    if (step->absent)
        return FieldIs(field, length, "-");
    return DecodeHex(field, length, step->data, sizeof(step->data),
                     &step->dataSize);
}

// Digits of base 10 or 16 (upper case, as written) into *value; false
// for none, another character or more than 64 bits.
static bool ParseNumber(const char *field, size_t length, unsigned base,
                        unsigned long long *value)
{
    if (length == 0 || length > (base == 10 ? 20u : 16u))
        return false;
    unsigned long long number = 0;
    for (size_t i = 0; i < length; i++) {
        int digit = HexDigit(field[i]);
        if (digit < 0 || (unsigned)digit >= base ||
            (field[i] >= 'a' && field[i] <= 'f') ||
            number > (~0ull - (unsigned)digit) / base)
            return false;
        number = number * base + (unsigned)digit;
    }
    *value = number;
    return true;
}

// "TAG" of an earlier setup, or "TAG,SIZE,TIME".
static bool ParseTagField(const char *field, size_t length, JournalStep *step)
{
    const char *comma = (const char *)memchr(field, ',', length);
    if (comma == NULL)
        return CopyField(field, length, step->tag, sizeof(step->tag)) &&
               IsJournalTag(step->tag);
    const char *size = comma + 1;
    const char *end = field + length;
    const char *second = (const char *)memchr(size, ',', (size_t)(end - size));
    if (second == NULL ||
        !CopyField(field, (size_t)(comma - field), step->tag,
                   sizeof(step->tag)) ||
        !IsJournalTag(step->tag) ||
        !ParseNumber(size, (size_t)(second - size), 10, &step->fileSize) ||
        (second - size > 1 && size[0] == '0') ||
        end - second - 1 != 16 ||
        !ParseNumber(second + 1, 16, 16, &step->writeTime))
        return false;
    step->printed = true;
    return true;
}

bool ParseJournalStep(const char *text, JournalStep *step)
{
    memset(step, 0, sizeof(*step));
    const char *cursor = text;
    const char *field;
    size_t length;
    if (!TakeField(&cursor, &field, &length))
        return false;
    int kind = -1;
    for (int i = 0; i <= STEP_VALUE; i++)
        if (FieldIs(field, length, kKindWords[i]))
            kind = i;
    if (kind < 0)
        return false;
    step->kind = (JournalStepKind)kind;
    if (step->kind == STEP_KEY || step->kind == STEP_VALUE)
        return ParseRegistryFields(cursor, step);
    if (step->kind == STEP_FILE || step->kind == STEP_REPLACE) {
        if (!TakeField(&cursor, &field, &length) ||
            !ParseTagField(field, length, step))
            return false;
    }
    // The path: the rest of the line, whole.
    return cursor[0] != '\0' &&
           CopyField(cursor, strlen(cursor), step->path, sizeof(step->path));
}

int FormatJournalSectionName(char *name, size_t size, int index)
{
    if (size == 0)
        return -1;
    int length = snprintf(name, size, "Transaction.%d", index);
    if (index < 1 || length < 0 || (size_t)length >= size) {
        name[0] = '\0';
        return -1;
    }
    return length;
}

// FNV-1a over the line without its trailing blanks, which a profile
// reader drops: the check then holds for the value as any reader gives it.
static unsigned long LineCheck(const char *line, size_t length)
{
    while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t'))
        length--;
    unsigned long hash = 2166136261ul;
    for (size_t i = 0; i < length; i++)
        hash = ((hash ^ (unsigned char)line[i]) * 16777619ul) & 0xFFFFFFFFul;
    return hash;
}

int FormatJournalEntry(char *entry, size_t size, int number,
                       const char *line)
{
    if (size == 0)
        return -1;
    int length = snprintf(entry, size, "%d:%08lX=%s\r\n", number,
                          LineCheck(line, strlen(line)), line);
    if (number < 0 || length < 0 || (size_t)length >= size) {
        entry[0] = '\0';
        return -1;
    }
    return length;
}

// Whether the key (start to equals) has no check, or one the value
// (equals + 1 to end) passes.
static bool PassesCheck(const char *start, const char *equals,
                        const char *end)
{
    const char *colon =
        (const char *)memchr(start, ':', (size_t)(equals - start));
    if (colon == NULL)
        return true;
    if (equals - colon != 9)
        return false;
    unsigned long check = 0;
    for (const char *p = colon + 1; p < equals; p++) {
        int digit = HexDigit(*p);
        if (digit < 0)
            return false;
        check = (check << 4) | (unsigned long)digit;
    }
    return check == LineCheck(equals + 1, (size_t)(end - equals - 1));
}

int ListSectionValues(const char *section, size_t size, const char **values,
                      int capacity)
{
    int count = 0;
    size_t at = 0;
    while (at < size && section[at] != '\0' && count < capacity) {
        const char *line = section + at;
        const char *end = (const char *)memchr(line, '\0', size - at);
        if (end == NULL)
            break;   // a line cut by the end of the buffer
        const char *equals =
            (const char *)memchr(line, '=', (size_t)(end - line));
        if (equals != NULL && PassesCheck(line, equals, end))
            values[count++] = equals + 1;
        at += (size_t)(end - line) + 1;
    }
    return count;
}

TransactionState ParseTransactionState(const char *text)
{
    if (text[0] == '\0')
        return TRANSACTION_NONE;
    if (strcmp(text, kStateInProgress) == 0)
        return TRANSACTION_IN_PROGRESS;
    if (strcmp(text, kStateComplete) == 0)
        return TRANSACTION_COMPLETE;
    return TRANSACTION_UNKNOWN;
}

// ---- Restart renames ----

// The path a restart-rename string names: without "\??\" (and a leading
// "!" on a target).
static const char *RenamedPath(const char *entry)
{
    if (entry[0] == '!')
        entry++;
    if (strncmp(entry, "\\??\\", 4) == 0)
        entry += 4;
    return entry;
}

// Whether an entry of a restart list names source.
typedef bool (*EntryNames)(const char *entry, size_t length,
                           const char *source);

// Removes from list (length bytes of NUL-terminated strings) every entry
// of stringsPerEntry strings that names source, and returns the length
// left. An entry cut off by the end of the list is kept as it is.
static size_t DropEntries(char *list, size_t length, int stringsPerEntry,
                          EntryNames names, const char *source)
{
    size_t at = 0;
    while (at < length && list[at] != '\0') {
        char *entry = list + at;
        size_t entryLength = 0;
        for (int i = 0; i < stringsPerEntry; i++) {
            char *end = (char *)memchr(entry + entryLength, '\0',
                                       length - at - entryLength);
            if (end == NULL || (size_t)(end + 1 - list) > length ||
                (i + 1 < stringsPerEntry && (size_t)(end + 1 - list) >= length))
                return length;
            entryLength = (size_t)(end + 1 - entry);
        }
        if (names(entry, entryLength, source)) {
            memmove(entry, entry + entryLength, length - at - entryLength);
            length -= entryLength;
            continue;
        }
        at += entryLength;
    }
    return length;
}

static bool PairNames(const char *pair, size_t, const char *source)
{
    return SamePath(RenamedPath(pair), source);
}

static bool LineNames(const char *line, size_t length, const char *source)
{
    const char *equals = (const char *)memchr(line, '=', length - 1);
    return equals != NULL && SamePath(equals + 1, source);
}

size_t DropPendingRenames(char *list, size_t length, const char *source)
{
    return DropEntries(list, length, 2, PairNames, source);
}

size_t DropRenameLines(char *section, size_t length, const char *source)
{
    return DropEntries(section, length, 1, LineNames, source);
}
