// ParseFontSpec on fuzzed [FONT] values. Under the single-byte code page
// the record is checked against a model of the grammar built from the
// name tables as the catalog documents them; under Shift-JIS the face name
// must still end within its field and the flags stay 0 or 1.
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"
#include "core/catalog/font_spec.h"

struct Name {
    const char *name;
    int value;
};

static const Name kCharsets[] = {
    {"DEFAULT", 1},      {"ANSI", 0},         {"SYMBOL", 2},
    {"SHIFTJIS", 0x80},  {"HANGEUL", 0x81},   {"GB2312", 0x86},
    {"CHINESEBIG5", 0x88}, {"OEM", 0xFF},     {"JOHAB", 0x82},
    {"HEBREW", 0xB1},    {"ARABIC", 0xB2},    {"GREEK", 0xA1},
    {"TURKISH", 0xA2},   {"VIETNAMESE", 0xA3}, {"THAI", 0xDE},
    {"EASTEUROPE", 0xEE}, {"RUSSIAN", 0xCC},  {"MAC", 0x4D},
    {"BALTIC", 0xBA},    {NULL, 0}};
static const Name kWeights[] = {
    {"DONTCARE", 0},   {"THIN", 100},       {"EXTRALIGHT", 200},
    {"LIGHT", 300},    {"NORMAL", 400},     {"MEDIUM", 500},
    {"SEMIBOLD", 600}, {"BOLD", 700},       {"EXTRABOLD", 800},
    {"HEAVY", 900},    {"ULTRALIGHT", 200}, {"REGULAR", 400},
    {"DEMIBOLD", 600}, {"ULTRABOLD", 800},  {"BLACK", 900},
    {NULL, 0}};
static const Name kPitches[] = {
    {"DEFAULT", 0}, {"FIXED", 1}, {"VARIABLE", 2}, {NULL, 0}};
static const Name kFamilies[] = {
    {"DECORATIVE", 0x50}, {"DONTCARE", 0}, {"MODERN", 0x30},
    {"ROMAN", 0x10},      {"SCRIPT", 0x40}, {"SWISS", 0x20}, {NULL, 0}};

static int LookUp(const Name *table, const std::string &field, int fallback)
{
    for (; table->name != NULL; table++)
        if (strcasecmp(table->name, field.c_str()) == 0)
            return table->value;
    return fallback;
}

// Leading blanks, a sign and digits, clamped to the int range.
static int Decimal(const std::string &field)
{
    long long value = strtoll(field.c_str(), NULL, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

static void ModelFontSpec(const char *value, FontSpec *spec)
{
    SetDefaultFontSpec(spec);
    std::vector<std::string> fields;
    std::string current;
    for (const char *p = value;; p++) {
        if (*p == ',' || *p == '\0') {
            if (!current.empty())
                fields.push_back(current.substr(0, FONT_SPEC_VALUE_SIZE - 1));
            current.clear();
            if (*p == '\0')
                break;
        } else {
            current += *p;
        }
    }
    size_t n = fields.size();
    if (n > 0) spec->width = Decimal(fields[0]);
    if (n > 1) spec->height = Decimal(fields[1]);
    if (n > 2) spec->weight = Decimal(fields[2]) > 0
                                  ? Decimal(fields[2])
                                  : LookUp(kWeights, fields[2], 400);
    if (n > 3) spec->charset = (unsigned char)LookUp(kCharsets, fields[3], 1);
    if (n > 4) spec->pitch = (unsigned char)LookUp(kPitches, fields[4], 0);
    if (n > 5) spec->family = (unsigned char)LookUp(kFamilies, fields[5], 0x10);
    if (n > 6) spec->italic = strcasecmp(fields[6].c_str(), "TRUE") == 0;
    if (n > 7) spec->flag8 = strcasecmp(fields[7].c_str(), "TRUE") == 0;
    size_t face = 8;
    if (n > 8 && strcasecmp(fields[8].c_str(), "DIALOG") == 0) {
        spec->unit = 1;
        face = 9;
    }
    if (n > face)
        snprintf(spec->faceName, sizeof(spec->faceName), "%s",
                 fields[face].c_str());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    int codePage = CodePageFromByte(TakeByte(&reader));
    char *value = TakeField(&reader);
    SetDbcsCodePage(codePage);

    FontSpec *spec = (FontSpec *)malloc(sizeof(FontSpec));
    memset(spec, '#', sizeof(*spec));
    ParseFontSpec(value, spec);

    FUZZ_CHECK(TerminatedWithin(spec->faceName, sizeof(spec->faceName)));
    FUZZ_CHECK(spec->italic == 0 || spec->italic == 1);
    FUZZ_CHECK(spec->flag8 == 0 || spec->flag8 == 1);
    FUZZ_CHECK(spec->unit == 0 || spec->unit == 1);
    FUZZ_CHECK(strstr(value, spec->faceName) != NULL);
    if (codePage == 1252) {
        FontSpec expected;
        ModelFontSpec(value, &expected);
        FUZZ_CHECK(spec->width == expected.width);
        FUZZ_CHECK(spec->height == expected.height);
        FUZZ_CHECK(spec->weight == expected.weight);
        FUZZ_CHECK(spec->charset == expected.charset);
        FUZZ_CHECK(spec->pitch == expected.pitch);
        FUZZ_CHECK(spec->family == expected.family);
        FUZZ_CHECK(spec->italic == expected.italic);
        FUZZ_CHECK(spec->flag8 == expected.flag8);
        FUZZ_CHECK(spec->unit == expected.unit);
        FUZZ_CHECK(strcmp(spec->faceName, expected.faceName) == 0);
    }

    free(spec);
    free(value);
    SetDbcsCodePage(0);
    return 0;
}
