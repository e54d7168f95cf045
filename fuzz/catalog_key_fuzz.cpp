// SplitSectionKey on fuzzed control-table keys with output sizes of 0 to
// 79 bytes: both parts end within their buffers, and under the single-byte
// code page "@SECTION@KEY" gives exactly its two "@"-separated parts.
#include <string.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"
#include "core/catalog/catalog_key.h"

static std::vector<std::string> SplitAt(const char *text, char separator)
{
    std::vector<std::string> parts;
    std::string current;
    for (const char *p = text;; p++) {
        if (*p == separator || *p == '\0') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
            if (*p == '\0')
                break;
        } else {
            current += *p;
        }
    }
    return parts;
}

static std::string CutTo(const std::string &text, size_t size)
{
    return size == 0 ? std::string() : text.substr(0, size - 1);
}

static void CheckOutput(const char *buffer, size_t size)
{
    if (size == 0)
        FUZZ_CHECK(MarkerIntact(buffer));
    else
        FUZZ_CHECK(TerminatedWithin(buffer, size));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    int codePage = CodePageFromByte(TakeByte(&reader));
    size_t sectionSize = TakeByte(&reader) % 80;
    size_t nameSize = TakeByte(&reader) % 80;
    char *key = TakeField(&reader);
    SetDbcsCodePage(codePage);

    char *section = NewOutputBuffer(sectionSize);
    char *name = NewOutputBuffer(nameSize);
    bool split = SplitSectionKey(key, section, sectionSize, name, nameSize);
    CheckOutput(section, sectionSize);
    CheckOutput(name, nameSize);
    if (!split) {
        FUZZ_CHECK(sectionSize == 0 || section[0] == '\0');
        FUZZ_CHECK(nameSize == 0 || name[0] == '\0');
    }
    if (key[0] != '@')
        FUZZ_CHECK(!split);

    if (codePage == 1252) {
        std::vector<std::string> parts =
            key[0] == '@' ? SplitAt(key + 1, '@') : std::vector<std::string>();
        FUZZ_CHECK(split == (parts.size() >= 2));
        if (split && sectionSize > 0)
            FUZZ_CHECK(CutTo(parts[0], sectionSize) == section);
        if (split && nameSize > 0)
            FUZZ_CHECK(CutTo(parts[1], nameSize) == name);
    }

    free(section);
    free(name);
    free(key);
    SetDbcsCodePage(0);
    return 0;
}
