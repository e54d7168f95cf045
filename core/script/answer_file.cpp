#include "core/script/answer_file.h"

#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/path_join.h"

// By character: a trail byte of a double-byte name may be 0x5C or 0x2F.
static bool NamesFolder(const char *name)
{
    for (const char *p = name; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            return true;
    }
    return false;
}

int ResolveAnswerPath(const char *name, const char *programDirectory,
                      char *path, size_t size)
{
    if (size == 0)
        return name[0] == '\0' ? 0 : -1;
    path[0] = '\0';
    if (name[0] == '\0')
        return 0;
    size_t length = strlen(name);
    if (NamesFolder(name)) {
        if (length >= size)
            return -1;
        memcpy(path, name, length + 1);
        return 1;
    }
    size_t folderLength = strlen(programDirectory);
    if (folderLength >= size)
        return -1;
    memcpy(path, programDirectory, folderLength + 1);
    if (AppendPath(path, size, name) < 0) {
        path[0] = '\0';
        return -1;
    }
    return 1;
}

bool SectionListHolds(const char *names, size_t size, const char *wanted)
{
    size_t at = 0;
    while (at < size && names[at] != '\0') {
        const char *name = names + at;
        const void *end = memchr(name, '\0', size - at);
        if (end == NULL)
            return false;  // a name cut by the end of the list
        size_t length = (size_t)((const char *)end - name);
        if (CompareAsciiNoCase(name, wanted) == 0)
            return true;
        at += length + 1;
    }
    return false;
}

size_t ByteOrderMarkLength(const char *text, size_t size)
{
    static const char kMark[] = "\xEF\xBB\xBF";
    size_t length = sizeof(kMark) - 1;
    return size >= length && memcmp(text, kMark, length) == 0 ? length : 0;
}

bool HoldsSetupSection(const char *text, size_t size)
{
    size_t skip = ByteOrderMarkLength(text, size);
    IniLine header;
    return FindIniSection(text + skip, size - skip, "Setup", &header);
}

int ReadAnswerValue(const char *text, size_t size, const char *key,
                    char *value, size_t valueSize)
{
    if (valueSize == 0)
        return -1;
    size_t skip = ByteOrderMarkLength(text, size);
    size_t fullLength = 0;
    size_t length = ReadIniString(text + skip, size - skip, "Setup", key, "",
                                  value, valueSize, NULL, &fullLength);
    if (fullLength > valueSize - 1) {
        value[0] = '\0';
        return -1;
    }
    return length > 0 ? 1 : 0;
}
