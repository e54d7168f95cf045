// ApplyLineBreaks on a fuzzed catalog text: the length stays, only
// backslash-n pairs change (into a blank and a line feed), and afterwards
// no backslash that is a character of its own is followed by an n; a
// Shift-JIS character whose second byte is 0x5C is never touched.
#include <string.h>

#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"
#include "core/catalog/line_breaks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    SetDbcsCodePage(CodePageFromByte(TakeByte(&reader)));
    char *original = TakeField(&reader);
    size_t length = strlen(original);
    char *text = (char *)malloc(length + 1);
    memcpy(text, original, length + 1);

    ApplyLineBreaks(text);

    FUZZ_CHECK(strlen(text) == length);
    for (size_t i = 0; i < length; i++) {
        if (text[i] == original[i])
            continue;
        bool escapeStart = original[i] == '\\' && original[i + 1] == 'n' &&
                           text[i] == ' ' && text[i + 1] == '\n';
        bool escapeEnd = i > 0 && original[i - 1] == '\\' &&
                         original[i] == 'n' && text[i] == '\n';
        FUZZ_CHECK(escapeStart || escapeEnd);
    }
    for (const char *p = text; *p != '\0'; p = NextChar(p)) {
        FUZZ_CHECK(!(p[0] == '\\' && p[1] == 'n'));
        if (IsDbcsLead((unsigned char)p[0]) && p[1] != '\0')
            FUZZ_CHECK(memcmp(p, original + (p - text), 2) == 0);
    }

    free(text);
    free(original);
    SetDbcsCodePage(0);
    return 0;
}
