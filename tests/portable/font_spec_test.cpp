#include <gtest/gtest.h>

#include <string.h>

#include "core/text/dbcs.h"
#include "core/catalog/font_spec.h"

static FontSpec Parse(const char *value)
{
    FontSpec spec;
    memset(&spec, 0x5A, sizeof(spec));  // every field must be written
    ParseFontSpec(value, &spec);
    return spec;
}

static void ExpectDefaultsFrom(const FontSpec &spec, int fromField)
{
    SCOPED_TRACE(testing::Message() << "defaults from field " << fromField);
    if (fromField <= 3) {
        EXPECT_EQ(400, spec.weight);
    }
    if (fromField <= 4) {
        EXPECT_EQ(1, spec.charset);
    }
    if (fromField <= 5) {
        EXPECT_EQ(0, spec.pitch);
    }
    if (fromField <= 6) {
        EXPECT_EQ(0x10, spec.family);
    }
    if (fromField <= 7) {
        EXPECT_EQ(0, spec.italic);
    }
    if (fromField <= 8) {
        EXPECT_EQ(0, spec.flag8);
    }
    if (fromField <= 9) {
        EXPECT_EQ(0, spec.unit);
    }
    EXPECT_STREQ("", spec.faceName);
}

TEST(FontSpecGrammar, EmptyValueGivesTheDefaultSpec)
{
    FontSpec spec = Parse("");
    EXPECT_EQ(8, spec.width);
    EXPECT_EQ(16, spec.height);
    ExpectDefaultsFrom(spec, 3);
    spec = Parse(",,,");
    EXPECT_EQ(8, spec.width);
    EXPECT_EQ(16, spec.height);
}

TEST(FontSpecGrammar, ExamplesOfTheCatalog)
{
    FontSpec spec =
        Parse("12,24,BOLD,SHIFTJIS,FIXED,MODERN,FALSE,FALSE,DIALOG,Mincho");
    EXPECT_EQ(12, spec.width);
    EXPECT_EQ(24, spec.height);
    EXPECT_EQ(700, spec.weight);
    EXPECT_EQ(128, spec.charset);
    EXPECT_EQ(0x31, spec.family | spec.pitch);
    EXPECT_EQ(0, spec.italic);
    EXPECT_EQ(1, spec.unit);
    EXPECT_STREQ("Mincho", spec.faceName);

    spec = Parse("0,14");
    EXPECT_EQ(0, spec.width);
    EXPECT_EQ(14, spec.height);
    ExpectDefaultsFrom(spec, 3);

    spec = Parse("8,16,NORMAL,ANSI,DEFAULT,SWISS,TRUE,FALSE,Arial");
    EXPECT_EQ(400, spec.weight);
    EXPECT_EQ(0, spec.charset);
    EXPECT_EQ(0x20, spec.family);
    EXPECT_EQ(1, spec.italic);
    EXPECT_EQ(0, spec.unit);
    EXPECT_STREQ("Arial", spec.faceName);
}

TEST(FontSpecGrammar, EmptyFieldsCollapse)
{
    FontSpec spec = Parse("10,20");
    EXPECT_EQ(10, spec.width);
    EXPECT_EQ(20, spec.height);
    ExpectDefaultsFrom(spec, 3);

    // BOLD lands in the height field.
    spec = Parse("10,,BOLD");
    EXPECT_EQ(10, spec.width);
    EXPECT_EQ(0, spec.height);
    EXPECT_EQ(400, spec.weight);

    spec = Parse(",,12,,,24,,,bold,,");
    EXPECT_EQ(12, spec.width);
    EXPECT_EQ(24, spec.height);
    EXPECT_EQ(700, spec.weight);
    EXPECT_EQ(1, spec.charset);
}

TEST(FontSpecGrammar, WeightIsANumberAboveZeroOrAName)
{
    EXPECT_EQ(700, Parse("1,1,bold").weight);
    EXPECT_EQ(250, Parse("1,1,250").weight);
    EXPECT_EQ(400, Parse("1,1,-5").weight);
    EXPECT_EQ(400, Parse("1,1,0").weight);
    EXPECT_EQ(0, Parse("1,1,DontCare").weight);
    EXPECT_EQ(200, Parse("1,1,ULTRALIGHT").weight);
    EXPECT_EQ(900, Parse("1,1,black").weight);
    EXPECT_EQ(400, Parse("1,1,HEAVYISH").weight);
    // Fields are not trimmed: a name with a blank matches nothing.
    EXPECT_EQ(400, Parse("1,1, BOLD").weight);
}

TEST(FontSpecGrammar, NumbersAreDecimalWithLeadingBlanksAndSign)
{
    EXPECT_EQ(12, Parse("  12,1").width);
    EXPECT_EQ(-7, Parse("-7,1").width);
    EXPECT_EQ(3, Parse("3px,1").width);
    EXPECT_EQ(0, Parse("wide,1").width);
    EXPECT_EQ(2147483647, Parse("99999999999999999999,1").width);
    EXPECT_EQ(-2147483647 - 1, Parse("-99999999999999999999,1").width);
}

TEST(FontSpecGrammar, NamesMatchWholeTextInAnyCase)
{
    FontSpec spec = Parse("1,1,1,shiftjis,variable,decorative");
    EXPECT_EQ(128, spec.charset);
    EXPECT_EQ(2, spec.pitch);
    EXPECT_EQ(0x50, spec.family);

    spec = Parse("1,1,1,OEM,FIXED,DONTCARE");
    EXPECT_EQ(255, spec.charset);
    EXPECT_EQ(1, spec.pitch);
    EXPECT_EQ(0, spec.family);

    spec = Parse("1,1,1,SHIFT,FIXEDX,ROMANS");
    EXPECT_EQ(1, spec.charset);
    EXPECT_EQ(0, spec.pitch);
    EXPECT_EQ(0x10, spec.family);

    EXPECT_EQ(186, Parse("1,1,1,Baltic").charset);
    EXPECT_EQ(77, Parse("1,1,1,mac").charset);
}

TEST(FontSpecGrammar, FlagsAndTheDialogUnit)
{
    FontSpec spec = Parse("1,1,1,ANSI,DEFAULT,SWISS,true,TRUE,x");
    EXPECT_EQ(1, spec.italic);
    EXPECT_EQ(1, spec.flag8);
    EXPECT_STREQ("x", spec.faceName);
    EXPECT_EQ(0, Parse("1,1,1,ANSI,DEFAULT,SWISS,yes").italic);

    spec = Parse("1,1,1,ANSI,DEFAULT,SWISS,FALSE,FALSE,dialog");
    EXPECT_EQ(1, spec.unit);
    EXPECT_STREQ("", spec.faceName);

    // Fields after the face are ignored.
    spec = Parse("1,1,1,ANSI,DEFAULT,SWISS,FALSE,FALSE,Dialog,Face,more");
    EXPECT_STREQ("Face", spec.faceName);
}

TEST(FontSpecGrammar, OverlongFacesAreCutInsideTheField)
{
    std::string face(40, 'F');
    FontSpec spec = Parse(("1,1,1,ANSI,DEFAULT,SWISS,FALSE,FALSE," + face)
                              .c_str());
    EXPECT_EQ(std::string(31, 'F'), spec.faceName);

    std::string huge = "1,1,1,ANSI,DEFAULT,SWISS,FALSE,FALSE,DIALOG," +
                       std::string(5000, 'G');
    spec = Parse(huge.c_str());
    EXPECT_EQ(1, spec.unit);
    EXPECT_EQ(31u, strlen(spec.faceName));
}

TEST(FontSpecGrammar, ShiftJisFacesKeepWholeCharacters)
{
    SetDbcsCodePage(932);
    // "ソ表" has 0x5C as second byte of both characters.
    FontSpec spec = Parse("1,1,1,SHIFTJIS,DEFAULT,MODERN,FALSE,FALSE,"
                          "\x83\x5C\x95\x5C");
    EXPECT_STREQ("\x83\x5C\x95\x5C", spec.faceName);

    // 30 bytes and a double-byte character: it does not fit whole.
    std::string face = std::string(30, 'a') + "\x95\x5C";
    spec = Parse(("1,1,1,SHIFTJIS,DEFAULT,MODERN,FALSE,FALSE," + face)
                     .c_str());
    EXPECT_EQ(std::string(30, 'a'), spec.faceName);
    SetDbcsCodePage(0);
}
