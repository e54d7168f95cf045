// CompareVersions on three fuzzed texts: the result is always -1, 0 or 1,
// and it is an ordering (reflexive, antisymmetric, transitive), so the
// install run's "not older than" test means the same in both directions.
// Texts of any length are fed; only their first 255 characters may count.
#include <string.h>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "core/text/version.h"
#include "fuzz/fuzz_input.h"

// The first VERSION_TEXT_MAX bytes of text, in a block of their own size.
static char *FirstReadPart(const char *text)
{
    size_t length = strnlen(text, VERSION_TEXT_MAX);
    char *part = (char *)malloc(length + 1);
    memcpy(part, text, length);
    part[length] = '\0';
    return part;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    SetDbcsCodePage(CodePageFromByte(TakeByte(&reader)));
    char *a = TakeField(&reader);
    char *b = TakeField(&reader);
    char *c = TakeField(&reader);

    int ab = CompareVersions(a, b);
    FUZZ_CHECK(ab == -1 || ab == 0 || ab == 1);
    FUZZ_CHECK(CompareVersions(b, a) == -ab);
    FUZZ_CHECK(CompareVersions(a, a) == 0);

    int bc = CompareVersions(b, c);
    int ac = CompareVersions(a, c);
    if (ab <= 0 && bc <= 0)
        FUZZ_CHECK(ac <= 0);
    if (ab == 0 && bc == 0)
        FUZZ_CHECK(ac == 0);

    char *aRead = FirstReadPart(a);
    FUZZ_CHECK(CompareVersions(aRead, b) == ab);
    free(aRead);

    free(a);
    free(b);
    free(c);
    SetDbcsCodePage(0);
    return 0;
}
