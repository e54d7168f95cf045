#include "core/text/version.h"

#include <limits.h>
#include <string.h>

#include "core/setup_limits.h"
#include "core/text/text_split.h"

struct VersionParts {
    int count;
    char part[3][VERSION_TEXT_MAX + 1];
};

static void SplitVersion(const char *text, VersionParts *parts)
{
    char copy[VERSION_TEXT_MAX + 1];
    strncpy(copy, text, sizeof(copy) - 1);
    copy[sizeof(copy) - 1] = '\0';

    static const char *const separators[3] = {".", ".", ".\r\n"};
    const char *cursor = copy;
    parts->count = 0;
    for (int i = 0; i < 3; i++) {
        if (!NextToken(&cursor, separators[i], parts->part[i],
                       sizeof(parts->part[i])))
            break;
        parts->count++;
    }
}

// Leading white space, an optional sign, decimal digits; no digits is 0.
// Saturates instead of overflowing.
static long long PartValue(const char *text)
{
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < (long long)INT_MAX + 1)
            value = value * 10 + (*p - '0');
        p++;
    }
    if (value > (long long)INT_MAX + 1)
        value = (long long)INT_MAX + 1;
    return negative ? -value : value;
}

int CompareVersions(const char *a, const char *b)
{
    VersionParts left, right;
    SplitVersion(a, &left);
    SplitVersion(b, &right);
    for (int i = 0; i < 3; i++) {
        if (i >= left.count)
            return i >= right.count ? 0 : -1;
        if (i >= right.count)
            return 1;
        long long x = PartValue(left.part[i]);
        long long y = PartValue(right.part[i]);
        if (x < y)
            return -1;
        if (x > y)
            return 1;
    }
    return 0;
}

bool IsPlainVersion(const char *text)
{
    int parts = 0;
    for (const char *p = text;; p++) {
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            digits++;
            p++;
        }
        if (digits == 0 || digits > 9 || ++parts > 3)
            return false;
        if (*p == '\0')
            return true;
        if (*p != '.')
            return false;
    }
}
