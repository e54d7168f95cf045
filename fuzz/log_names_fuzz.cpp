// The uninstall-log key and section names formed from fuzzed indexes and
// section names into buffers of exactly 0 to 99 bytes: a name is whole and
// exactly the documented form, or refused with an empty buffer.
#include <string.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "core/log/log_names.h"

static void CheckFormed(const char *name, size_t size, int result,
                        bool possible, const std::string &expected)
{
    if (size == 0) {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(MarkerIntact(name));
        return;
    }
    FUZZ_CHECK(TerminatedWithin(name, size));
    if (possible && expected.size() < size) {
        FUZZ_CHECK(result == (int)expected.size());
        FUZZ_CHECK(expected == name);
    } else {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(name[0] == '\0');
    }
}

static std::string NumberedKey(const char *prefix, int index)
{
    std::string digits = std::to_string(index);
    if (digits.size() < 2)
        digits = "0" + digits;
    return prefix + digits;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    size_t nameSize = TakeByte(&reader) % 100;
    uint32_t raw = 0;
    for (int i = 0; i < 4; i++)
        raw = raw << 8 | TakeByte(&reader);
    int index = (int)raw;
    char *section = TakeField(&reader);
    char *name = NewOutputBuffer(nameSize);

    switch (options % 4) {
    case 0:
    case 1: {
        LogList list = (options % 4 == 0) ? LOG_FILES : LOG_PATHS;
        int result = FormatLogKey(name, nameSize, list, index);
        CheckFormed(name, nameSize, result, index >= 0,
                    NumberedKey(list == LOG_FILES ? "FILE" : "PATH", index));
        break;
    }
    case 2: {
        int result = FormPathSectionName(name, nameSize, section);
        std::string rest = strlen(section) > 4 ? section + 4 : "";
        CheckFormed(name, nameSize, result, true, "Path" + rest);
        break;
    }
    default: {
        int result = FormUninstallSectionName(name, nameSize, section);
        CheckFormed(name, nameSize, result, true,
                    std::string("UNINSTALL_") + section);
        break;
    }
    }
    free(name);
    free(section);
    return 0;
}
