// The install journal: a line read back from a log someone else may have
// written parses only into a step whose fields fit, and a parsed step
// written again reads back the same; a line appended as a checked entry
// reads back whole; the journal section's values all lie inside the
// buffer; the restart-rename lists lose only whole entries and
// a second pass finds nothing more to drop.
// Input: option byte (bit 0..1: code page; bit 2: close the buffer with
// two NULs), the source path for the rename filters, then the bytes (the
// first NUL-ended part of them is also tried as one journal line).
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "core/log/journal.h"

static void CheckLine(const char *text)
{
    static JournalStep step;
    static JournalStep again;
    if (!ParseJournalStep(text, &step))
        return;
    FUZZ_CHECK(memchr(step.path, '\0', sizeof(step.path)) != NULL);
    FUZZ_CHECK(memchr(step.key, '\0', sizeof(step.key)) != NULL);
    FUZZ_CHECK(memchr(step.valueName, '\0', sizeof(step.valueName)) != NULL);
    FUZZ_CHECK(step.dataSize <= sizeof(step.data));
    char *line = NewOutputBuffer(JOURNAL_LINE_SIZE);
    int length = FormatJournalStep(&step, line, JOURNAL_LINE_SIZE);
    FUZZ_CHECK(length > 0 && (size_t)length == strlen(line));
    FUZZ_CHECK(ParseJournalStep(line, &again));
    FUZZ_CHECK(memcmp(&step, &again, sizeof(step)) == 0);
    // Every smaller buffer either takes the whole line or stays empty.
    size_t size = (size_t)length;
    char *small = NewOutputBuffer(size);
    FUZZ_CHECK(FormatJournalStep(&step, small, size) == -1 &&
               small[0] == '\0');
    free(small);
    free(line);
}

// A line appended as an entry reads back whole through its check.
static void CheckEntry(const char *line)
{
    size_t size = strlen(line) + 32;
    char *entry = NewOutputBuffer(size);
    int length = FormatJournalEntry(entry, size, 1, line);
    FUZZ_CHECK(length > 2 && (size_t)length == strlen(entry));
    entry[length - 2] = '\0';
    entry[length - 1] = '\0';
    const char *values[1];
    FUZZ_CHECK(ListSectionValues(entry, (size_t)length, values, 1) == 1);
    FUZZ_CHECK(strcmp(values[0], line) == 0);
    free(entry);
}

static void CheckValues(const char *buffer, size_t size)
{
    const char *values[64];
    int count = ListSectionValues(buffer, size, values, 64);
    FUZZ_CHECK(count >= 0 && count <= 64);
    for (int i = 0; i < count; i++) {
        FUZZ_CHECK(values[i] > buffer && values[i] <= buffer + size);
        FUZZ_CHECK(values[i][-1] == '=');
        FUZZ_CHECK(memchr(values[i], '\0',
                          (size_t)(buffer + size - values[i])) != NULL);
        CheckLine(values[i]);
    }
}

static void CheckDrop(const char *buffer, size_t size, const char *source,
                      bool pending)
{
    char *copy = (char *)malloc(size ? size : 1);
    if (size > 0)
        memcpy(copy, buffer, size);
    size_t length = pending ? DropPendingRenames(copy, size, source)
                            : DropRenameLines(copy, size, source);
    FUZZ_CHECK(length <= size);
    size_t again = pending ? DropPendingRenames(copy, length, source)
                           : DropRenameLines(copy, length, source);
    FUZZ_CHECK(again == length);
    free(copy);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    SetDbcsCodePage(CodePageFromByte(options & 3));
    char *source = TakeField(&reader);
    size_t length;
    uint8_t *rest = TakeRest(&reader, &length);
    size_t bufferSize = length + ((options & 4) ? 2 : 0);
    char *buffer = (char *)malloc(bufferSize ? bufferSize : 1);
    if (length > 0)
        memcpy(buffer, rest, length);
    if (options & 4)
        buffer[length] = buffer[length + 1] = '\0';

    if (memchr(buffer, '\0', bufferSize) != NULL) {
        CheckLine(buffer);
        CheckEntry(buffer);
    }
    CheckValues(buffer, bufferSize);
    CheckDrop(buffer, bufferSize, source, true);
    CheckDrop(buffer, bufferSize, source, false);
    char name[LOG_SECTION_SIZE];
    FUZZ_CHECK(FormatJournalSectionName(name, sizeof(name), options) ==
                   (options == 0 ? -1 : (int)strlen(name)));

    free(buffer);
    free(source);
    free(rest);
    SetDbcsCodePage(0);
    return 0;
}
