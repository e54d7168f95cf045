// The INI reader on fuzzed files: every line and its name and value lie
// inside the text, line numbers grow by one, a value read ends within the
// caller's buffer, is never longer than it allows, never ends in half a
// double-byte character, and is either the default or a part of the text.
#include <stdlib.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "fuzz/fuzz_input.h"

static bool Inside(const char *part, size_t length, const char *text,
                   size_t size)
{
    return part >= text && part + length <= text + size;
}

static bool PartOf(const char *value, const char *text, size_t size)
{
    size_t length = strlen(value);
    if (length == 0)
        return true;
    for (size_t i = 0; i + length <= size; i++) {
        if (memcmp(text + i, value, length) == 0)
            return true;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    size_t bufferSize = TakeByte(&reader) * 8 + (options >> 4);
    char *section = TakeField(&reader);
    char *key = TakeField(&reader);
    size_t textSize = 0;
    char *text = (char *)TakeRest(&reader, &textSize);
    SetDbcsCodePage(CodePageFromByte(options));

    IniCursor cursor;
    StartIniLines(&cursor, text, textSize);
    IniLine line;
    int number = 0;
    while (NextIniLine(&cursor, &line)) {
        FUZZ_CHECK(line.number == ++number);
        FUZZ_CHECK(Inside(line.start, line.length, text, textSize));
        FUZZ_CHECK(Inside(line.name, line.nameLength, text, textSize));
        if (line.value != NULL)
            FUZZ_CHECK(Inside(line.value, line.valueLength, text, textSize));
    }

    char *buffer = NewOutputBuffer(bufferSize);
    int found = -1;
    size_t full = 0;
    size_t length = ReadIniString(text, textSize, section, key, "<default>",
                                  buffer, bufferSize, &found, &full);
    if (bufferSize == 0) {
        FUZZ_CHECK(length == 0 && MarkerIntact(buffer));
    } else {
        FUZZ_CHECK(TerminatedWithin(buffer, bufferSize));
        FUZZ_CHECK(length == strlen(buffer) && length < bufferSize);
        FUZZ_CHECK(length <= full);
        if (found == 0)
            FUZZ_CHECK(strncmp(buffer, "<default>", length) == 0);
        else
            FUZZ_CHECK(PartOf(buffer, text, textSize));
        // A cut never leaves a lead byte without its trail byte.
        FUZZ_CHECK(OnCharBoundary(buffer, length));
    }
    ReadIniInt(text, textSize, section, key, 0, NULL);

    free(buffer);
    free(text);
    free(key);
    free(section);
    SetDbcsCodePage(0);
    return 0;
}
