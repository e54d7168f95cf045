// The command-line and language-list splitting with fuzzed texts and
// output sizes (0 to 71 bytes) under the Western and the Shift-JIS code
// page. Under the single-byte page the results are checked against a
// plain model of the token rules; under Shift-JIS, where a trail byte may
// hide a separator, every output must still end within its buffer.
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "core/text/text_split.h"
#include "fuzz/fuzz_input.h"

// Runs of any separator byte count as one; leading ones are skipped.
static std::vector<std::string> SplitBytes(const char *text, char separator)
{
    std::vector<std::string> tokens;
    std::string current;
    for (const char *p = text; *p != '\0'; p++) {
        if (*p == separator) {
            if (!current.empty())
                tokens.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty())
        tokens.push_back(current);
    return tokens;
}

static std::string CutTo(const std::string &text, size_t size)
{
    return size == 0 ? std::string() : text.substr(0, size - 1);
}

static void CheckCommandLine(const char *line, size_t codeSize,
                             bool singleByte)
{
    char *code = NewOutputBuffer(codeSize);
    if (codeSize > 0)
        CopyText(code, codeSize, "jpn");
    std::string before = codeSize > 0 ? code : "";

    CommandLineOptions options = ParseCommandLine(line, code, codeSize);

    if (codeSize == 0) {
        FUZZ_CHECK(MarkerIntact(code));
        free(code);
        return;
    }
    FUZZ_CHECK(TerminatedWithin(code, codeSize));
    FUZZ_CHECK(memchr(options.answerFile, '\0', sizeof(options.answerFile)));
    if (!options.languageGiven)
        FUZZ_CHECK(before == code);
    else
        FUZZ_CHECK(strstr(line, code) != NULL);

    if (singleByte) {
        bool languageGiven = false, noLicense = false;
        bool unattended = false, answerGiven = false;
        std::string answer;
        std::string expected = before;
        for (std::string token : SplitBytes(line, ' ')) {
            token = CutTo(token, COMMAND_LINE_SIZE);
            if (strncasecmp(token.c_str(), "-l", 2) == 0) {
                languageGiven = true;
                expected = CutTo(token.substr(2), codeSize);
            }
            if (strncasecmp(token.c_str(), "NoLic", 5) == 0)
                noLicense = true;
            if (strcasecmp(token.c_str(), "-s") == 0)
                unattended = true;
            if (strncasecmp(token.c_str(), "-a", 2) == 0) {
                answerGiven = true;
                answer = token.substr(2);
            }
        }
        FUZZ_CHECK(options.unattended == unattended);
        FUZZ_CHECK(options.answerGiven == answerGiven);
        FUZZ_CHECK(answer == options.answerFile);
        FUZZ_CHECK(options.languageGiven == languageGiven);
        FUZZ_CHECK(options.noLicense == noLicense);
        FUZZ_CHECK(expected == code);
    }
    free(code);
}

static void CheckListValue(const char *value, size_t nameSize,
                           size_t codeSize, bool singleByte)
{
    char *name = NewOutputBuffer(nameSize);
    char *code = NewOutputBuffer(codeSize);
    SplitListValue(value, name, nameSize, code, codeSize);

    if (nameSize == 0)
        FUZZ_CHECK(MarkerIntact(name));
    else
        FUZZ_CHECK(TerminatedWithin(name, nameSize));
    if (codeSize == 0)
        FUZZ_CHECK(MarkerIntact(code));
    else
        FUZZ_CHECK(TerminatedWithin(code, codeSize));

    if (singleByte) {
        std::vector<std::string> fields = SplitBytes(value, ';');
        if (nameSize > 0)
            FUZZ_CHECK(CutTo(fields.size() > 0 ? fields[0] : "", nameSize) ==
                       name);
        if (codeSize > 0)
            FUZZ_CHECK(CutTo(fields.size() > 1 ? fields[1] : "", codeSize) ==
                       code);
    }
    free(name);
    free(code);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = CodePageFromByte(options);
    size_t firstSize = TakeByte(&reader) % 72;
    size_t secondSize = TakeByte(&reader) % 72;
    char *text = TakeField(&reader);

    SetDbcsCodePage(codePage);
    if (options & 2)
        CheckListValue(text, firstSize, secondSize, codePage == 1252);
    else
        CheckCommandLine(text, firstSize, codePage == 1252);
    SetDbcsCodePage(0);
    free(text);
    return 0;
}
