// The answer file's path, section test and [Setup] values with fuzzed
// names, folders, section lists, file texts (a byte-order mark or not) and
// buffer sizes (0 to 299 bytes), and the recorded text with fuzzed answers
// (buffers of 0 to 1020 bytes), under the Western and the Shift-JIS code
// page.
//
// Input: option byte (bit 0 code page, bits 1 and 2 which function), size
// byte, then NUL-separated fields: name, folder (path) or the raw list
// (section test) or the file's text (values; the name is the key), the
// rest of the input, NULs included, with its own size; or language,
// destination and group (recorded text).
#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"
#include "core/script/answer_file.h"
#include "core/text/ini_reader.h"

#include <string.h>
#include <strings.h>

#include <string>

static void CheckResolve(const char *name, const char *folder, size_t size)
{
    char *path = NewOutputBuffer(size);
    int result = ResolveAnswerPath(name, folder, path, size);
    FUZZ_CHECK(result == 1 || result == 0 || result == -1);
    if (size == 0) {
        FUZZ_CHECK(MarkerIntact(path));
        FUZZ_CHECK(result != 1);
        free(path);
        return;
    }
    FUZZ_CHECK(TerminatedWithin(path, size));
    if (result != 1)
        FUZZ_CHECK(path[0] == '\0');
    if (name[0] == '\0')
        FUZZ_CHECK(result == 0);
    // A resolved path always ends with the whole name.
    if (result == 1) {
        size_t pathLength = strlen(path), nameLength = strlen(name);
        FUZZ_CHECK(pathLength >= nameLength);
        FUZZ_CHECK(strcmp(path + pathLength - nameLength, name) == 0);
    }
    free(path);
}

static void CheckSectionList(const uint8_t *list, size_t size,
                             const char *wanted)
{
    bool held = SectionListHolds((const char *)list, size, wanted);
    // Model: whole names before the first empty one or the end.
    bool expected = false;
    size_t at = 0;
    while (at < size && list[at] != 0) {
        const uint8_t *end = (const uint8_t *)memchr(list + at, 0, size - at);
        if (end == NULL)
            break;
        if (strcasecmp((const char *)list + at, wanted) == 0)
            expected = true;
        at = (size_t)(end - list) + 1;
    }
    FUZZ_CHECK(held == expected);
}

// A built text gives every answer back through the profile reader; a
// refused one is empty.
static void CheckAnswerText(const RecordedAnswers *answers, size_t size)
{
    char *text = NewOutputBuffer(size);
    const char *refused = NULL;
    AnswerTextResult result = BuildAnswerText(answers, text, size, &refused);
    if (size == 0) {
        FUZZ_CHECK(MarkerIntact(text));
        FUZZ_CHECK(result == ANSWER_TEXT_TOO_LONG);
        free(text);
        return;
    }
    FUZZ_CHECK(TerminatedWithin(text, size));
    FUZZ_CHECK((result == ANSWER_TEXT_UNREADABLE) == (refused != NULL));
    if (result != ANSWER_TEXT_BUILT) {
        FUZZ_CHECK(text[0] == '\0');
        free(text);
        return;
    }
    const char *keys[] = {"Language", "Destination", "Group"};
    const char *values[] = {answers->language, answers->destination,
                            answers->group};
    for (int i = 0; i < 3; i++) {
        char read[1024];
        ReadIniString(text, strlen(text), "Setup", keys[i], "", read,
                      sizeof(read), NULL, NULL);
        FUZZ_CHECK(strcmp(read, values[i]) == 0);
    }
    free(text);
}

static void CheckAnswerValue(const uint8_t *text, size_t size,
                             const char *key, size_t bufferSize)
{
    char *value = NewOutputBuffer(bufferSize);
    int result = ReadAnswerValue((const char *)text, size, key, value,
                                 bufferSize);
    FUZZ_CHECK(result == 1 || result == 0 || result == -1);
    if (bufferSize == 0) {
        FUZZ_CHECK(result == -1 && MarkerIntact(value));
    } else {
        FUZZ_CHECK(TerminatedWithin(value, bufferSize));
        FUZZ_CHECK((result == 1) == (value[0] != '\0'));
        // Never a cut value: one that does not fit is refused whole.
        if (result == 1)
            FUZZ_CHECK(OnCharBoundary(value, strlen(value)));
    }
    HoldsSetupSection((const char *)text, size);
    free(value);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    size_t bufferSize = (TakeByte(&reader) * 300u) / 256u;
    SetDbcsCodePage(CodePageFromByte(options));
    char *first = TakeField(&reader);
    int which = (options >> 1) & 3;
    if (which == 3) {
        char *destination = TakeField(&reader);
        char *group = TakeField(&reader);
        RecordedAnswers answers = {first, destination, group};
        CheckAnswerText(&answers, bufferSize * 1024u / 300u);
        free(destination);
        free(group);
    } else if (which != 0) {
        size_t length;
        uint8_t *rest = TakeRest(&reader, &length);
        if (which == 2)
            CheckAnswerValue(rest, length, first, bufferSize);
        else
            CheckSectionList(rest, length, first);
        free(rest);
    } else {
        char *second = TakeField(&reader);
        CheckResolve(first, second, bufferSize);
        free(second);
    }
    SetDbcsCodePage(0);
    free(first);
    return 0;
}
