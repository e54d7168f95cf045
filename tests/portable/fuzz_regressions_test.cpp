// Inputs found by the fuzz targets (fuzz/), each kept as the smallest case
// that showed the fault plus the everyday case behind it.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/text/text_split.h"

namespace {

class ShiftJisFinding : public testing::Test {
protected:
    void SetUp() override { SetDbcsCodePage(932); }
    void TearDown() override { SetDbcsCodePage(0); }
};

// The token of one NextToken call into a buffer of size bytes with marker
// bytes behind it, checked for an overlong write.
std::string TokenOf(const char *text, const char *separators, size_t size)
{
    char token[64];
    memset(token, '#', sizeof(token));
    const char *cursor = text;
    NextToken(&cursor, separators, token, size);
    for (size_t i = size; i < sizeof(token); i++)
        EXPECT_EQ('#', token[i]) << "written past the token at " << i;
    return token;
}

}  // namespace

// A cut token used to keep the lead byte of a double-byte character that
// did not fit: the token then ended in half a character, and a separator
// appended later became that character's trail byte.
TEST_F(ShiftJisFinding, NextTokenCutNeverSplitsACharacter)
{
    // next_token: size 3, no separators, 0x03 then one double-byte character.
    EXPECT_EQ("\x03", TokenOf("\x03\x83\x83", "", 3));
    // "ab" and ソ (0x83 0x5C): the trail byte is a backslash.
    EXPECT_EQ("ab", TokenOf("ab\x83\x5C;x", ";", 4));
    EXPECT_EQ("ab\x83\x5C", TokenOf("ab\x83\x5C;x", ";", 5));
    // A lone lead byte at the very end is a character of its own.
    EXPECT_EQ("ab\x83", TokenOf("ab\x83", ";", 4));
}

TEST_F(ShiftJisFinding, LanguageNameCutKeepsWholeCharacters)
{
    // Sixteen times 表 (0x95 0x5C) is 32 bytes: one more than a display
    // name holds, so fifteen characters remain.
    std::string name;
    for (int i = 0; i < 16; i++)
        name += "\x95\x5C";
    std::string value = name + ";jpn";
    char shown[32];
    char code[16];
    SplitListValue(value.c_str(), shown, sizeof(shown), code, sizeof(code));
    EXPECT_EQ(name.substr(0, 30), shown);
    EXPECT_STREQ("jpn", code);
}
