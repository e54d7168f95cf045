// AppendPath, ReplaceToken and the folder-macro expansion with fuzzed
// paths, components, tokens and folder values, each in a buffer of exactly
// its declared size (1 to 600 bytes), under the Western and the Shift-JIS
// code page (where 0x5C may be a trail byte). Every result must fit and
// equal a plain model of the rules on std::string.
#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/script/folder_macros.h"
#include "core/text/path_join.h"
#include "core/setup_limits.h"
#include "fuzz/fuzz_input.h"

static void CheckAppendPath(FuzzReader *reader, size_t size)
{
    char *initial = TakeField(reader);
    char *component = TakeField(reader);
    char *path = NewTextBuffer(size, initial);
    char *before = (char *)malloc(size);
    memcpy(before, path, size);
    size_t pathLength = strlen(path);
    size_t componentLength = strlen(component);
    bool needsSeparator = pathLength > 0 && !EndsWithSeparator(path);

    int result = AppendPath(path, size, component);

    bool fits = size >= 2 && pathLength + componentLength <= size - 2;
    if (!fits) {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(memcmp(path, before, size) == 0);
    } else {
        FUZZ_CHECK(result >= 0 && (size_t)result < size);
        FUZZ_CHECK(TerminatedWithin(path, size));
        FUZZ_CHECK(strlen(path) == (size_t)result);
        std::string expected(before);
        if (needsSeparator)
            expected += '\\';
        expected += component[0] == '\\' ? component + 1 : component;
        FUZZ_CHECK(expected == path);
    }
    free(before);
    free(path);
    free(initial);
    free(component);
}

// Offset of the character after the one at offset, in the code page set.
static size_t NextCharOffset(const std::string &text, size_t offset)
{
    return (size_t)(NextChar(text.c_str() + offset) - text.c_str());
}

// The replacement rules on a std::string: the walk goes character by
// character, and a match is only tested where a character starts.
static std::string ModelReplace(std::string text, size_t size,
                                const std::string &token,
                                const std::string &replacement)
{
    if (token.empty())
        return text;
    size_t position = 0;
    while (position < text.size()) {
        if (text.compare(position, token.size(), token) != 0) {
            position = NextCharOffset(text, position);
        } else if (text.size() - token.size() + replacement.size() + 1 >
                   size) {
            // Does not fit: left as it is, the walk goes on behind it.
            position = NextCharOffset(text, position + token.size() - 1);
        } else {
            text.replace(position, token.size(), replacement);
            position += replacement.size();
            if (position >= text.size())
                break;
            // The character behind a replacement is not tested.
            position = NextCharOffset(text, position);
        }
    }
    return text;
}

static void CheckReplaceToken(FuzzReader *reader, size_t size)
{
    char *initial = TakeField(reader);
    char *token = TakeField(reader);
    char *replacement = TakeField(reader);
    char *text = NewTextBuffer(size, initial);
    std::string before(text);

    int result = ReplaceToken(text, size, token, replacement);

    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK(TerminatedWithin(text, size));
    if (token[0] == '\0' || strstr(before.c_str(), token) == NULL)
        FUZZ_CHECK(before == text && result == 1);
    FUZZ_CHECK(ModelReplace(before, size, token, replacement) == text);
    free(text);
    free(initial);
    free(token);
    free(replacement);
}

// The folder-macro expansion of an install-script field
// (ReplaceFolderMacros, which setup and the media checker share): the
// field is copied into a path buffer and the four macros are replaced in
// order with folder values as long as the platform hands them over.
static void CheckMacroExpansion(FuzzReader *reader)
{
    static const size_t valueSizes[FOLDER_MACRO_COUNT] = {
        PATH_SIZE, PATH_SIZE, LANGUAGE_CODE_SIZE, PATH_SIZE};
    char *source = TakeField(reader);
    char *values[FOLDER_MACRO_COUNT];
    for (int i = 0; i < FOLDER_MACRO_COUNT; i++) {
        char *field = TakeField(reader);
        values[i] = NewOutputBuffer(valueSizes[i]);
        CopyText(values[i], valueSizes[i], field);
        free(field);
    }
    char *path = NewOutputBuffer(PATH_SIZE);
    FolderMacroValues macroValues = {values[0], values[1], values[2],
                                     values[3]};
    bool whole = ReplaceFolderMacros(path, PATH_SIZE, source, &macroValues);
    // A cut field is never reported as a usable folder.
    FUZZ_CHECK(!whole || strlen(source) < PATH_SIZE);
    FUZZ_CHECK(TerminatedWithin(path, PATH_SIZE));

    char *copied = NewOutputBuffer(PATH_SIZE);
    CopyText(copied, PATH_SIZE, source);
    std::string model(copied);
    for (int i = 0; i < FOLDER_MACRO_COUNT; i++)
        model = ModelReplace(model, PATH_SIZE, kFolderMacroNames[i],
                             values[i]);
    FUZZ_CHECK(model == path);
    for (char *value : values)
        free(value);
    free(copied);
    free(path);
    free(source);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = CodePageFromByte(options);
    size_t bufferSize = (TakeByte(&reader) * 256u + TakeByte(&reader)) % 600 + 1;
    SetDbcsCodePage(codePage);
    switch ((options >> 1) % 3) {
    case 0:
        CheckAppendPath(&reader, bufferSize);
        break;
    case 1:
        CheckReplaceToken(&reader, bufferSize);
        break;
    default:
        CheckMacroExpansion(&reader);
        break;
    }
    SetDbcsCodePage(0);
    return 0;
}
