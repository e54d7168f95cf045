#include "core/script/language_choice.h"

#include <string.h>

#include "core/setup_limits.h"
#include "core/text/ascii_case.h"

// Where the list box's binary search puts a new name among the sorted
// ones: at an equal name it meets, else where the search ends.
static int InsertionPlace(const char *const *names, const int *sorted,
                          int count, const char *name,
                          LanguageNameOrder order)
{
    int low = 0;
    int high = count - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        int result = order(names[sorted[middle]], name);
        if (result == 0)
            return middle;
        if (result > 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return low;
}

static void SortAsListBox(const char *const *names, int count,
                          LanguageNameOrder order, int *sorted)
{
    for (int i = 0; i < count; i++) {
        int place = InsertionPlace(names, sorted, i, names[i], order);
        memmove(sorted + place + 1, sorted + place,
                (size_t)(i - place) * sizeof(sorted[0]));
        sorted[place] = i;
    }
}

static bool MatchesAsListBox(const char *name, const char *wanted,
                             int codePage)
{
    if (SkipPrefixAsciiNoCase(name, wanted, codePage) != NULL)
        return true;
    if (name[0] != '[')
        return false;
    return SkipPrefixAsciiNoCase(name + 1, wanted, codePage) != NULL ||
           (name[1] == '-' &&
            SkipPrefixAsciiNoCase(name + 2, wanted, codePage) != NULL);
}

static int FirstOfName(const char *const *names, int count, const char *name)
{
    int i = 0;
    while (i < count && strcmp(names[i], name) != 0)
        i++;
    return i;
}

int FindDefaultLanguage(const char *const *names, int count,
                        const char *wanted, LanguageNameOrder order,
                        int codePage)
{
    if (count > LANGUAGE_TABLE_ENTRIES)
        count = LANGUAGE_TABLE_ENTRIES;
    if (count <= 0 || wanted[0] == '\0')
        return -1;
    int sorted[LANGUAGE_TABLE_ENTRIES];
    SortAsListBox(names, count, order, sorted);
    for (int step = 1; step <= count; step++) {
        const char *name = names[sorted[step % count]];
        if (MatchesAsListBox(name, wanted, codePage))
            return FirstOfName(names, count, name);
    }
    return -1;
}
