#include "core/script/script_entry.h"

#include <string.h>

#include "core/text/text_split.h"

// Reads the next ";" field into field (size bytes). A field that does not
// fit is left empty and marks the entry as too long. Returns false when no
// field is left.
static bool NextField(const char **cursor, char *field, size_t size,
                      bool *tooLong, int codePage)
{
    // Entries are read into FILE_ENTRY_SIZE bytes, so no field of one can
    // be longer than this holding buffer.
    char whole[FILE_ENTRY_SIZE * 2];
    if (!NextToken(cursor, ";", whole, sizeof(whole), codePage)) {
        field[0] = '\0';
        return false;
    }
    if (strlen(whole) >= size) {
        field[0] = '\0';
        *tooLong = true;
        return true;
    }
    memcpy(field, whole, strlen(whole) + 1);
    return true;
}

void SplitFileEntry(const char *value, FileEntry *entry, int codePage)
{
    memset(entry, 0, sizeof(*entry));
    const char *cursor = value;
    char *fields[] = {entry->fileName, entry->sourceFolder,
                      entry->destinationFolder};
    for (char *field : fields) {
        if (!NextField(&cursor, field, PATH_SIZE, &entry->tooLong,
                       codePage))
            break;
        entry->fieldCount++;
    }
}

void SplitShortcutEntry(const char *value, ShortcutEntry *entry,
                        int codePage)
{
    memset(entry, 0, sizeof(*entry));
    const char *cursor = value;
    char *fields[] = {entry->title, entry->file, entry->folder,
                      entry->arguments};
    for (char *field : fields) {
        if (!NextField(&cursor, field, PATH_SIZE, &entry->tooLong,
                       codePage))
            break;
        entry->fieldCount++;
    }
}
