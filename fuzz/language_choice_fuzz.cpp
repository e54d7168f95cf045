// FindDefaultLanguage with fuzzed language lists, Default values, code
// pages and sort orders (one with many ties). Checked against a plain
// model of the list box: the result is -1 exactly when no name begins
// with Default, else the first entry in file order of a name that does;
// with an order free of ties, it is the first match in sorted order
// behind the first row, the first row last.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/script/language_choice.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "fuzz/fuzz_input.h"

static int ByFoldedBytes(const char *a, const char *b)
{
    return CompareAsciiNoCase(a, b);
}

static int ByLength(const char *a, const char *b)
{
    return (int)strlen(a) - (int)strlen(b);
}

static int ByFoldedBytesReversed(const char *a, const char *b)
{
    return CompareAsciiNoCase(b, a);
}

static bool ModelBeginsWith(const char *name, const char *wanted,
                            int codePage)
{
    while (*wanted != '\0') {
        size_t width = IsDbcsLead((unsigned char)*wanted, codePage) &&
                               wanted[1] != '\0'
                           ? 2
                           : 1;
        size_t nameWidth = *name == '\0' ? 0
                           : IsDbcsLead((unsigned char)*name, codePage) &&
                                   name[1] != '\0'
                               ? 2
                               : 1;
        if (width != nameWidth)
            return false;
        for (size_t i = 0; i < width; i++) {
            char a = wanted[i], b = name[i];
            if (width == 1) {
                a = (a >= 'A' && a <= 'Z') ? (char)(a + 32) : a;
                b = (b >= 'A' && b <= 'Z') ? (char)(b + 32) : b;
            }
            if (a != b)
                return false;
        }
        wanted += width;
        name += width;
    }
    return true;
}

static bool ModelMatches(const char *name, const char *wanted, int codePage)
{
    return ModelBeginsWith(name, wanted, codePage) ||
           (name[0] == '[' && (ModelBeginsWith(name + 1, wanted, codePage) ||
                               (name[1] == '-' &&
                                ModelBeginsWith(name + 2, wanted, codePage))));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = (options & 1) ? 932 : 1252;
    LanguageNameOrder orders[] = {ByFoldedBytes, ByLength,
                                  ByFoldedBytesReversed};
    int orderIndex = (options >> 1) % 3;
    int count = TakeByte(&reader) % (LANGUAGE_TABLE_ENTRIES + 4);
    char *wanted = TakeField(&reader);
    std::vector<char *> fields;
    for (int i = 0; i < count; i++)
        fields.push_back(TakeField(&reader));

    int found = FindDefaultLanguage(fields.data(), count, wanted,
                                    orders[orderIndex], codePage);

    int looked = std::min(count, LANGUAGE_TABLE_ENTRIES);
    bool anyMatch = false;
    for (int i = 0; i < looked; i++)
        anyMatch = anyMatch || ModelMatches(fields[i], wanted, codePage);
    if (wanted[0] == '\0' || !anyMatch) {
        FUZZ_CHECK(found == -1);
    } else {
        FUZZ_CHECK(found >= 0 && found < looked);
        FUZZ_CHECK(ModelMatches(fields[found], wanted, codePage));
        for (int i = 0; i < found; i++)
            FUZZ_CHECK(strcmp(fields[i], fields[found]) != 0);
    }
    // Without ties the list box's order is the sorted order.
    std::vector<int> sorted;
    for (int i = 0; i < looked; i++)
        sorted.push_back(i);
    LanguageNameOrder order = orders[orderIndex];
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        return order(fields[a], fields[b]) < 0;
    });
    bool ties = false;
    for (int i = 1; i < looked; i++)
        ties = ties || order(fields[sorted[i - 1]], fields[sorted[i]]) == 0;
    if (!ties && found >= 0) {
        int expected = -1;
        for (int step = 1; step <= looked && expected < 0; step++) {
            int row = sorted[step % looked];
            if (ModelMatches(fields[row], wanted, codePage))
                expected = row;
        }
        FUZZ_CHECK(expected >= 0 &&
                   strcmp(fields[expected], fields[found]) == 0);
    }
    for (char *field : fields)
        free(field);
    free(wanted);
    return 0;
}
