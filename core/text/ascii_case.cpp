#include "core/text/ascii_case.h"

#include <string.h>

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int CompareAsciiNoCase(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; i++) {
        unsigned char ca = (unsigned char)LowerAscii(a[i]);
        unsigned char cb = (unsigned char)LowerAscii(b[i]);
        if (ca != cb || ca == '\0')
            return (int)ca - (int)cb;
    }
    return 0;
}

int CompareAsciiNoCase(const char *a, const char *b)
{
    return CompareAsciiNoCase(a, b, (size_t)-1);
}

void LowerAsciiText(char *text, int codePage)
{
    for (char *p = text; *p != '\0';) {
        char *next = NextChar(p, codePage);
        if (next - p == 1)
            *p = LowerAscii(*p);
        p = next;
    }
}

const char *SkipPrefixAsciiNoCase(const char *text, const char *prefix,
                                  int codePage)
{
    while (*prefix != '\0') {
        const char *nextPrefix = NextChar(prefix, codePage);
        const char *nextText = NextChar(text, codePage);
        size_t width = (size_t)(nextPrefix - prefix);
        if (width != (size_t)(nextText - text))
            return NULL;   // also where text ends first
        if (width == 1 ? LowerAscii(*prefix) != LowerAscii(*text)
                       : memcmp(prefix, text, width) != 0)
            return NULL;
        prefix = nextPrefix;
        text = nextText;
    }
    return text;
}

bool EqualsAsciiNoCase(const char *a, const char *b, int codePage)
{
    const char *rest = SkipPrefixAsciiNoCase(a, b, codePage);
    return rest != NULL && *rest == '\0';
}
