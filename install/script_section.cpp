#include "install/script_section.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/copy_memory.h"
#include "common/platform.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"

// Twice every entry a file section may hold at the longest an entry is
// read, for the section's other keys.
static const size_t kSectionTextLimit = 2 * 1024 * 1024;
static const size_t kSectionTextInitialSize = 64 * 1024;

// The whole section, or NULL when it does not fit or memory is short.
static char *ReadSectionText(const char *scriptPath, const char *section)
{
    char *text = NULL;
    for (size_t size = kSectionTextInitialSize; size <= kSectionTextLimit;
         size *= 2) {
        char *grown = (char *)GrowCopyMemory(text, size);
        if (grown == NULL)
            break;
        text = grown;
        if (ReadWholeProfileSection(section, text, (DWORD)size, scriptPath))
            return text;
        if (IsWin95Family())
            break;   // a bigger buffer reads no more there
    }
    free(text);
    return NULL;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The index of a "file%03d" key in any letter case; -1 for any other key;
// -2 for a key with blanks around it, which a key read may take for an
// entry once it drops them.
static int ParseEntryKey(const char *key, size_t length)
{
    if (length > 0 && (IsBlank(key[0]) || IsBlank(key[length - 1])))
        return -2;
    if (length != 7 || CompareAsciiNoCase(key, "file", 4) != 0)
        return -1;
    int index = 0;
    for (size_t i = 4; i < length; i++) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        index = index * 10 + (key[i] - '0');
    }
    return index < MAX_SCRIPT_ENTRIES ? index : -1;
}

// Points values at the entries of text. Returns false when an entry may
// read differently key by key: a key without a value, blanks around a key
// or a value (a key read drops them), a quoted value (a key read drops the
// quotes) or one too long for the entry buffer (a key read cuts it).
static bool IndexEntries(FileSectionReader *reader)
{
    for (char *line = reader->text; *line != '\0';
         line += strlen(line) + 1) {
        char *equals = strchr(line, '=');
        size_t keyLength = equals != NULL ? (size_t)(equals - line)
                                          : strlen(line);
        int index = ParseEntryKey(line, keyLength);
        if (index == -2)
            return false;
        if (index < 0)
            continue;
        if (equals == NULL)
            return false;
        const char *value = equals + 1;
        size_t valueLength = strlen(value);
        if (value[0] == '"' || value[0] == '\'' ||
            valueLength + 1 >= FILE_ENTRY_SIZE ||
            (valueLength > 0 &&
             (IsBlank(value[0]) || IsBlank(value[valueLength - 1]))))
            return false;
        // The first of keys written twice is the one a read finds.
        if (reader->values[index] == NULL)
            reader->values[index] = value;
    }
    return true;
}

void OpenFileSection(FileSectionReader *reader, const char *scriptPath,
                     const char *section, bool wholeSection)
{
    reader->scriptPath = scriptPath;
    reader->section = section;
    memset(reader->values, 0, sizeof(reader->values));
    reader->text = wholeSection ? ReadSectionText(scriptPath, section) : NULL;
    if (reader->text != NULL && !IndexEntries(reader))
        CloseFileSection(reader);
}

void CloseFileSection(FileSectionReader *reader)
{
    free(reader->text);
    reader->text = NULL;
}

void ReadFileValue(const FileSectionReader *reader, int index, char *value,
                   size_t size)
{
    if (size == 0)
        return;
    if (reader->text != NULL && index >= 0 && index < MAX_SCRIPT_ENTRIES) {
        const char *kept = reader->values[index];
        if (kept == NULL) {
            value[0] = '\0';
            return;
        }
        if (strlen(kept) + 1 < size) {
            CopyText(value, size, kept);
            return;
        }
    }
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "file%03d", index);
    GetPrivateProfileStringA(reader->section, key, "", value, (DWORD)size,
                             reader->scriptPath);
}
