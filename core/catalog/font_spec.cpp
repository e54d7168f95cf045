#include "core/catalog/font_spec.h"

#include <limits.h>
#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/text_split.h"

struct NamedValue {
    const char *name;
    int value;
};

// The platform's LOGFONT codes under their own names; first match wins.
static const NamedValue kCharsetNames[] = {
    {"DEFAULT", 1},      {"ANSI", 0},        {"SYMBOL", 2},
    {"SHIFTJIS", 128},   {"HANGEUL", 129},   {"GB2312", 134},
    {"CHINESEBIG5", 136}, {"OEM", 255},      {"JOHAB", 130},
    {"HEBREW", 177},     {"ARABIC", 178},    {"GREEK", 161},
    {"TURKISH", 162},    {"VIETNAMESE", 163}, {"THAI", 222},
    {"EASTEUROPE", 238}, {"RUSSIAN", 204},   {"MAC", 77},
    {"BALTIC", 186},     {NULL, 0},
};

static const NamedValue kWeightNames[] = {
    {"DONTCARE", 0},    {"THIN", 100},      {"EXTRALIGHT", 200},
    {"LIGHT", 300},     {"NORMAL", 400},    {"MEDIUM", 500},
    {"SEMIBOLD", 600},  {"BOLD", 700},      {"EXTRABOLD", 800},
    {"HEAVY", 900},     {"ULTRALIGHT", 200}, {"REGULAR", 400},
    {"DEMIBOLD", 600},  {"ULTRABOLD", 800}, {"BLACK", 900},
    {NULL, 0},
};

static const NamedValue kPitchNames[] = {
    {"DEFAULT", 0}, {"FIXED", 1}, {"VARIABLE", 2}, {NULL, 0},
};

static const NamedValue kFamilyNames[] = {
    {"DECORATIVE", 0x50}, {"DONTCARE", 0}, {"MODERN", 0x30},
    {"ROMAN", 0x10},      {"SCRIPT", 0x40}, {"SWISS", 0x20},
    {NULL, 0},
};

// ASCII case folding only: the names are ASCII, and a double-byte field
// must never match one by accident of a locale.
static bool EqualsNoCase(const char *a, const char *b)
{
    return CompareAsciiNoCase(a, b) == 0;
}

// Sets *value when field names a row; otherwise leaves it and returns
// false.
static bool LookUpName(const NamedValue *table, const char *field,
                       int *value)
{
    for (; table->name != NULL; table++) {
        if (EqualsNoCase(table->name, field)) {
            *value = table->value;
            return true;
        }
    }
    return false;
}

static bool LookUpByte(const NamedValue *table, const char *field,
                       unsigned char *value)
{
    int found = *value;
    bool named = LookUpName(table, field, &found);
    *value = (unsigned char)found;
    return named;
}

// TRUE or FALSE in any case; anything else reads as FALSE.
static int ParseFlag(const char *field, int *unknown, int bit)
{
    if (!EqualsNoCase(field, "TRUE") && !EqualsNoCase(field, "FALSE"))
        *unknown |= bit;
    return EqualsNoCase(field, "TRUE") ? 1 : 0;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
           c == '\r';
}

// Leading white space, an optional sign, digits; anything else ends the
// number and no digits give 0. Saturates instead of overflowing.
static int ParseDecimal(const char *text)
{
    while (IsBlank(*text))
        text++;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = (*text++ == '-');
    long long number = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        number = number * 10 + (*text - '0');
        if (number > (long long)INT_MAX + 1)
            number = (long long)INT_MAX + 1;
    }
    if (negative)
        return (int)-number;
    return number > INT_MAX ? INT_MAX : (int)number;
}

void SetDefaultFontSpec(FontSpec *spec)
{
    memset(spec, 0, sizeof(*spec));
    spec->width = 8;
    spec->height = 16;
    spec->weight = 400;
    spec->charset = 1;
    spec->pitch = 0;
    spec->family = 0x10;
}

void ParseFontSpec(const char *value, FontSpec *spec)
{
    CheckFontSpec(value, spec);
}

int CheckFontSpec(const char *value, FontSpec *spec, int codePage)
{
    SetDefaultFontSpec(spec);
    const char *cursor = value;
    char field[FONT_SPEC_VALUE_SIZE];
    int unknown = 0;

    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    spec->width = ParseDecimal(field);
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    spec->height = ParseDecimal(field);
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    int weight = ParseDecimal(field);
    if (weight > 0)
        spec->weight = weight;
    else if (!LookUpName(kWeightNames, field, &spec->weight))
        unknown |= FONT_FIELD_WEIGHT;
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    if (!LookUpByte(kCharsetNames, field, &spec->charset))
        unknown |= FONT_FIELD_CHARSET;
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    if (!LookUpByte(kPitchNames, field, &spec->pitch))
        unknown |= FONT_FIELD_PITCH;
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    if (!LookUpByte(kFamilyNames, field, &spec->family))
        unknown |= FONT_FIELD_FAMILY;
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    spec->italic = ParseFlag(field, &unknown, FONT_FIELD_ITALIC);
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    spec->flag8 = ParseFlag(field, &unknown, FONT_FIELD_FLAG8);
    if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
        return unknown;
    if (EqualsNoCase(field, "DIALOG")) {
        spec->unit = 1;
        if (!NextToken(&cursor, ",", field, sizeof(field), codePage))
            return unknown;
    }
    if (CopyText(spec->faceName, sizeof(spec->faceName), field,
                 codePage) != strlen(field))
        unknown |= FONT_FIELD_FACE;
    return unknown;
}
