#include "core/text/dbcs.h"

#include <string.h>

static int g_dbcsCodePage;  // 0: the system's

void SetDbcsCodePage(int codePage)
{
    g_dbcsCodePage = codePage;
}

int GetDbcsCodePage()
{
    if (g_dbcsCodePage != 0)
        return g_dbcsCodePage;
    return GetSystemCodePage();
}

bool IsDbcsLead(unsigned char byte, int codePage)
{
    switch (codePage != CURRENT_CODE_PAGE ? codePage : GetDbcsCodePage()) {
    case 932:   // Shift-JIS
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:   // GBK
    case 949:   // Unified Hangul
    case 950:   // Big5
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

const char *NextChar(const char *p, int codePage)
{
    if (*p == '\0')
        return p;
    if (IsDbcsLead((unsigned char)*p, codePage) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

char *NextChar(char *p, int codePage)
{
    return const_cast<char *>(
        NextChar(static_cast<const char *>(p), codePage));
}

const char *FindLastSeparator(const char *text, int codePage)
{
    const char *last = NULL;
    for (const char *p = text; *p != '\0'; p = NextChar(p, codePage)) {
        if (*p == '\\')
            last = p;
    }
    return last;
}

char *FindLastSeparator(char *text, int codePage)
{
    return const_cast<char *>(
        FindLastSeparator(static_cast<const char *>(text), codePage));
}

bool EndsWithSeparator(const char *text, int codePage)
{
    const char *lastChar = NULL;
    for (const char *p = text; *p != '\0'; p = NextChar(p, codePage))
        lastChar = p;
    return lastChar != NULL && *lastChar == '\\';
}

size_t CopyText(char *dest, size_t size, const char *source, int codePage)
{
    if (size == 0)
        return 0;
    size_t used = 0;
    const char *p = source;
    while (*p != '\0') {
        const char *next = NextChar(p, codePage);
        size_t width = (size_t)(next - p);
        if (used + width > size - 1)
            break;
        memcpy(dest + used, p, width);
        used += width;
        p = next;
    }
    dest[used] = '\0';
    return used;
}

void CutText(char *text, size_t maxBytes, int codePage)
{
    char *p = text;
    while (*p != '\0') {
        char *next = NextChar(p, codePage);
        if ((size_t)(next - text) > maxBytes)
            break;
        p = next;
    }
    *p = '\0';
}

size_t CountChars(const char *text, int codePage)
{
    size_t count = 0;
    for (const char *p = text; *p != '\0'; p = NextChar(p, codePage))
        count++;
    return count;
}
