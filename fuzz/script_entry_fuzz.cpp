// The install-script entry splitting on fuzzed "file%03d" and "Icon%03d"
// values of any length: every field ends within its buffer, a field too
// long for it is left empty and flagged (never cut into a wrong name), and
// under the single-byte code page the fields are exactly the ";"-separated
// runs of the value.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"
#include "core/script/script_entry.h"

static std::vector<std::string> SplitAtSemicolons(const char *text)
{
    std::vector<std::string> fields;
    std::string current;
    for (const char *p = text;; p++) {
        if (*p == ';' || *p == '\0') {
            if (!current.empty())
                fields.push_back(current);
            current.clear();
            if (*p == '\0')
                break;
        } else {
            current += *p;
        }
    }
    return fields;
}

// Checks fields[0..count) of an entry against the value.
static void CheckFields(const char *value, char *const *fields, int known,
                        int fieldCount, bool tooLong, bool singleByte)
{
    FUZZ_CHECK(fieldCount >= 0 && fieldCount <= known);
    for (int i = 0; i < known; i++) {
        FUZZ_CHECK(TerminatedWithin(fields[i], PATH_SIZE));
        FUZZ_CHECK(strstr(value, fields[i]) != NULL);
        if (i >= fieldCount)
            FUZZ_CHECK(fields[i][0] == '\0');
    }
    if (!singleByte)
        return;
    std::vector<std::string> expected = SplitAtSemicolons(value);
    int present = (int)expected.size() < known ? (int)expected.size() : known;
    FUZZ_CHECK(fieldCount == present);
    bool anyTooLong = false;
    for (int i = 0; i < present; i++) {
        if (expected[i].size() >= (size_t)PATH_SIZE) {
            anyTooLong = true;
            FUZZ_CHECK(fields[i][0] == '\0');
        } else {
            FUZZ_CHECK(expected[i] == fields[i]);
        }
    }
    FUZZ_CHECK(tooLong == anyTooLong);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = CodePageFromByte(options);
    char *value = TakeField(&reader);
    SetDbcsCodePage(codePage);

    if (options & 2) {
        ShortcutEntry *entry = (ShortcutEntry *)malloc(sizeof(ShortcutEntry));
        memset(entry, '#', sizeof(*entry));
        SplitShortcutEntry(value, entry);
        char *fields[] = {entry->title, entry->file, entry->folder,
                          entry->arguments};
        CheckFields(value, fields, 4, entry->fieldCount, entry->tooLong,
                    codePage == 1252);
        free(entry);
    } else {
        FileEntry *entry = (FileEntry *)malloc(sizeof(FileEntry));
        memset(entry, '#', sizeof(*entry));
        SplitFileEntry(value, entry);
        char *fields[] = {entry->fileName, entry->sourceFolder,
                          entry->destinationFolder};
        CheckFields(value, fields, 3, entry->fieldCount, entry->tooLong,
                    codePage == 1252);
        free(entry);
    }
    free(value);
    SetDbcsCodePage(0);
    return 0;
}
