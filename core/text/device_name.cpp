#include "core/text/device_name.h"

#include <string.h>

#include "core/text/ascii_case.h"

// Windows 10 counts COM0 and LPT0 and the Latin-1 superscripts 1, 2 and 3
// as digits too; refusing them on older systems costs nothing.
static bool IsPortDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
}

static bool IsDeviceStem(const char *stem, size_t length)
{
    static const char *const kNames[] = {"NUL",    "CON",     "PRN",
                                         "AUX",    "CONIN$",  "CONOUT$",
                                         "CLOCK$"};
    for (const char *name : kNames)
        if (length == strlen(name) &&
            CompareAsciiNoCase(stem, name, length) == 0)
            return true;
    return length == 4 && IsPortDigit((unsigned char)stem[3]) &&
           (CompareAsciiNoCase(stem, "COM", 3) == 0 ||
            CompareAsciiNoCase(stem, "LPT", 3) == 0);
}

// The stem is what comes before the first '.' or ':', without the blanks
// that end it: Windows looks no further ("CON .txt" is CON).
static bool IsDeviceComponent(const char *component, size_t length)
{
    size_t stem = 0;
    while (stem < length && component[stem] != '.' && component[stem] != ':')
        stem++;
    while (stem > 0 && component[stem - 1] == ' ')
        stem--;
    return IsDeviceStem(component, stem);
}

bool NamesDevice(const char *path, int codePage)
{
    const char *component = path;
    for (const char *p = path;; p = NextChar(p, codePage)) {
        if (*p != '\\' && *p != '/' && *p != '\0')
            continue;
        if (IsDeviceComponent(component, (size_t)(p - component)))
            return true;
        if (*p == '\0')
            return false;
        component = p + 1;
    }
}
