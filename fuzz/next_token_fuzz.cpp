// NextToken over a fuzzed text with fuzzed separators and token size
// (0 to 299 bytes). Every call must move the cursor forward and never past
// the terminator, every token must end within its buffer and hold whole
// characters only (a cut never splits a double-byte one), and under the
// single-byte code page the tokens must be exactly the separator-free runs
// of the text, cut to the buffer.
#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/text/text_split.h"
#include "fuzz/fuzz_input.h"

static bool IsSeparator(const char *separators, char c)
{
    return c != '\0' && strchr(separators, c) != NULL;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    int codePage = CodePageFromByte(TakeByte(&reader));
    size_t tokenSize = (TakeByte(&reader) * 256u + TakeByte(&reader)) % 300;
    char *separators = TakeField(&reader);
    char *text = TakeField(&reader);
    SetDbcsCodePage(codePage);

    size_t textLength = strlen(text);
    const char *cursor = text;
    const char *model = text;  // where the single-byte model stands
    char *token = NewOutputBuffer(tokenSize);
    size_t calls = 0;
    for (;;) {
        const char *before = cursor;
        bool found = NextToken(&cursor, separators, token, tokenSize);
        FUZZ_CHECK(cursor >= before && cursor <= text + textLength);
        if (tokenSize == 0)
            FUZZ_CHECK(MarkerIntact(token));
        else
            FUZZ_CHECK(TerminatedWithin(token, tokenSize));

        // A token that is cut keeps whole characters only.
        if (found && tokenSize > 0) {
            const char *start = before;
            while (IsSeparator(separators, *start))
                start++;
            size_t kept = strlen(token);
            FUZZ_CHECK(memcmp(token, start, kept) == 0);
            FUZZ_CHECK(OnCharBoundary(start, kept));
        }
        if (codePage == 1252) {
            while (IsSeparator(separators, *model))
                model++;
            std::string expected;
            while (*model != '\0' && !IsSeparator(separators, *model))
                expected += *model++;
            if (*model != '\0')
                model++;
            FUZZ_CHECK(found == !expected.empty());
            FUZZ_CHECK(cursor == model);
            if (tokenSize > 0)
                FUZZ_CHECK(expected.substr(0, tokenSize - 1) == token);
        }
        if (!found)
            break;
        FUZZ_CHECK(cursor > before);
        FUZZ_CHECK(++calls <= textLength);
    }
    FUZZ_CHECK(*cursor == '\0');

    free(token);
    free(separators);
    free(text);
    SetDbcsCodePage(0);
    return 0;
}
