// The Program Manager commands composed from fuzzed group names, paths,
// arguments and titles into buffers of exactly 0 to 699 bytes: a command
// is either whole (and exactly the documented text, with the rest of the
// buffer cleared) or refused with the buffer all zero; never cut.
#include <string.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "core/progman/progman_commands.h"

// Text the commands refuse: it would end its argument or the command early.
static bool Quotable(const char *text)
{
    return strchr(text, '"') == NULL;
}

static bool PlainArguments(const char *text)
{
    return strpbrk(text, "\",()[]") == NULL;
}

static void CheckRefused(const char *command, size_t size, int result)
{
    FUZZ_CHECK(result == -1);
    for (size_t i = 0; i < size; i++)
        FUZZ_CHECK(command[i] == '\0');
    if (size == 0)
        FUZZ_CHECK(MarkerIntact(command));
}

static void CheckComposed(const char *command, size_t size, int result,
                          const std::string &expected)
{
    if (size == 0) {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(MarkerIntact(command));
        return;
    }
    if (expected.size() < size) {
        FUZZ_CHECK(result == (int)expected.size());
        FUZZ_CHECK(memcmp(command, expected.c_str(), expected.size() + 1) == 0);
    } else {
        FUZZ_CHECK(result == -1);
    }
    size_t cleared = result < 0 ? 0 : (size_t)result + 1;
    for (size_t i = cleared; i < size; i++)
        FUZZ_CHECK(command[i] == '\0');
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    size_t commandSize = (TakeByte(&reader) * 256u + TakeByte(&reader)) % 700;
    int commonGroup = (int)(int8_t)TakeByte(&reader);
    char *first = TakeField(&reader);
    char *second = TakeField(&reader);
    char *third = TakeField(&reader);
    char *command = NewOutputBuffer(commandSize);

    std::string expected;
    int result;
    bool refused = false;
    switch (options % 3) {
    case 0:
        result = ComposeCreateGroupCommand(command, commandSize, first,
                                           commonGroup);
        refused = !Quotable(first);
        expected = std::string("[CreateGroup(\"") + first + "\"," +
                   std::to_string(commonGroup) + ")][ShowGroup(\"" + first +
                   "\",1)]";
        break;
    case 1:
        result = ComposeAddItemCommand(command, commandSize, first, second,
                                       third);
        refused = !Quotable(first) || !Quotable(third) ||
                  !PlainArguments(second);
        expected = std::string("[AddItem(\"") + first + "\" " + second +
                   ",\"" + third + "\")]";
        break;
    default:
        result = ComposeExitCommand(command, commandSize);
        expected = "[ExitProgman(1)]";
        break;
    }
    if (refused)
        CheckRefused(command, commandSize, result);
    else
        CheckComposed(command, commandSize, result, expected);

    free(command);
    free(first);
    free(second);
    free(third);
    return 0;
}
