#include "core/log/journal_names.h"

#include <stdio.h>
#include <string.h>

const char kJournalCopyExtension[] = ".jnl.tmp";

// FNV-1a over the name with ASCII letters folded: the file system takes
// "LOG.INI" and "log.ini" for one file, so both give one hash.
static unsigned long HashName(const char *name)
{
    unsigned long hash = 2166136261ul;
    for (const unsigned char *p = (const unsigned char *)name; *p != '\0';
         p++) {
        unsigned char c = *p;
        if (c >= 'a' && c <= 'z')
            c = (unsigned char)(c - 'a' + 'A');
        hash = ((hash ^ c) * 16777619ul) & 0xFFFFFFFFul;
    }
    return hash;
}

bool JoinJournalStem(char *stem, size_t size, const char *folder,
                     const char *name, bool hashed)
{
    if (size == 0)
        return false;
    stem[0] = '\0';
    size_t folderLength = strlen(folder);
    if (folderLength == 0 || name[0] == '\0')
        return false;
    // "C:\" ends in its separator already.
    const char *separator = folder[folderLength - 1] == '\\' ? "" : "\\";
    char hash[16];
    snprintf(hash, sizeof(hash), "%08lX", HashName(name));
    int length = snprintf(stem, size, "%s%s%s", folder, separator,
                          hashed ? hash : name);
    if (length < 0 ||
        (size_t)length + strlen(kJournalCopyExtension) + 1 > size) {
        stem[0] = '\0';
        return false;
    }
    return true;
}
