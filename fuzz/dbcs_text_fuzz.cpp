// CopyText and CutText on fuzzed texts under the double-byte code pages
// (Shift-JIS mostly) and the Western one: the result is a prefix that
// ends on a character boundary, fits its size and is as long as it can
// be; a lead byte is never separated from its trail byte. The separator
// search is checked against the same character walk.
#include <string.h>

#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"

static int CodePageFor(uint8_t byte)
{
    static const int pages[4] = {932, 932, 936, 1252};
    return pages[byte % 4];
}

static size_t CharWidthAt(const char *p)
{
    return (size_t)(NextChar(p) - p);
}

static void CheckCopyText(const char *source, size_t size)
{
    char *dest = NewOutputBuffer(size);
    size_t copied = CopyText(dest, size, source);
    if (size == 0) {
        FUZZ_CHECK(copied == 0);
        FUZZ_CHECK(MarkerIntact(dest));
    } else {
        FUZZ_CHECK(TerminatedWithin(dest, size));
        FUZZ_CHECK(strlen(dest) == copied);
        FUZZ_CHECK(copied <= size - 1);
        FUZZ_CHECK(memcmp(dest, source, copied) == 0);
        FUZZ_CHECK(OnCharBoundary(source, copied));
        FUZZ_CHECK(source[copied] == '\0' ||
                   copied + CharWidthAt(source + copied) > size - 1);
    }
    free(dest);
}

static void CheckCutText(const char *source, size_t maxBytes)
{
    size_t length = strlen(source);
    char *text = (char *)malloc(length + 1);
    memcpy(text, source, length + 1);
    CutText(text, maxBytes);
    size_t kept = strlen(text);
    FUZZ_CHECK(kept <= maxBytes);
    FUZZ_CHECK(memcmp(text, source, kept) == 0);
    FUZZ_CHECK(OnCharBoundary(source, kept));
    FUZZ_CHECK(source[kept] == '\0' ||
               kept + CharWidthAt(source + kept) > maxBytes);
    free(text);
}

static void CheckSeparatorSearch(const char *text)
{
    const char *last = FindLastSeparator(text);
    const char *lastChar = NULL;
    const char *lastSeparator = NULL;
    for (const char *p = text; *p != '\0'; p = NextChar(p)) {
        lastChar = p;
        if (*p == '\\')
            lastSeparator = p;
    }
    FUZZ_CHECK(last == lastSeparator);
    FUZZ_CHECK(EndsWithSeparator(text) ==
               (lastChar != NULL && lastChar == lastSeparator));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    SetDbcsCodePage(CodePageFor(TakeByte(&reader)));
    size_t limit = (TakeByte(&reader) * 256u + TakeByte(&reader)) % 300;
    char *text = TakeField(&reader);

    CheckCopyText(text, limit);
    CheckCutText(text, limit);
    CheckSeparatorSearch(text);

    free(text);
    SetDbcsCodePage(0);
    return 0;
}
