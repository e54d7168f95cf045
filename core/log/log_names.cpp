#include "core/log/log_names.h"

#include <stdio.h>
#include <string.h>

static int Checked(char *text, size_t size, int wanted)
{
    if (wanted < 0 || (size_t)wanted >= size) {
        if (size > 0)
            text[0] = '\0';
        return -1;
    }
    return wanted;
}

int FormatLogKey(char *key, size_t size, LogList list, int index)
{
    if (size == 0)
        return -1;
    if (index < 0) {
        key[0] = '\0';
        return -1;
    }
    const char *prefix = (list == LOG_FILES) ? "FILE" : "PATH";
    return Checked(key, size, snprintf(key, size, "%s%02d", prefix, index));
}

int FormPathSectionName(char *name, size_t size, const char *fileSection)
{
    if (size == 0)
        return -1;
    // Section names are ASCII identifiers chosen by the program, so the
    // first four bytes are four characters.
    const char *rest = strlen(fileSection) > 4 ? fileSection + 4 : "";
    return Checked(name, size, snprintf(name, size, "Path%s", rest));
}

int FormUninstallSectionName(char *name, size_t size,
                             const char *fileSection)
{
    if (size == 0)
        return -1;
    return Checked(name, size,
                   snprintf(name, size, "UNINSTALL_%s", fileSection));
}
