#include <gtest/gtest.h>

#include <string.h>

#include "core/text/dbcs.h"

class DbcsTest : public testing::Test {
protected:
    void SetUp() override { SetDbcsCodePage(932); }
    void TearDown() override { SetDbcsCodePage(0); }
};

TEST_F(DbcsTest, StepsOverWholeCharacters)
{
    const char text[] = "a\x83\x5C" "b";
    const char *p = NextChar(text);
    EXPECT_EQ(text + 1, p);
    p = NextChar(p);
    EXPECT_EQ(text + 3, p);
}

TEST_F(DbcsTest, LoneLeadByteAtTheEndDoesNotStepPastTheNul)
{
    const char text[] = "\x83";
    EXPECT_EQ(text + 1, NextChar(text));
    EXPECT_EQ(text + 1, NextChar(text + 1));
}

TEST_F(DbcsTest, SeparatorSearchSkipsTrailBytes)
{
    const char path[] = "C:\\\x95\x5C";  // C:\表
    EXPECT_EQ(path + 2, FindLastSeparator(path));
    EXPECT_FALSE(EndsWithSeparator(path));
    EXPECT_TRUE(EndsWithSeparator("C:\\\x95\x5C\\"));
}

TEST_F(DbcsTest, CopyTextNeverSplitsACharacter)
{
    char out[4];
    memset(out, '#', sizeof(out));
    EXPECT_EQ(2u, CopyText(out, 4, "ab\x83\x5C"));
    EXPECT_STREQ("ab", out);

    char cut[] = "a\x83\x5C";
    CutText(cut, 2);
    EXPECT_STREQ("a", cut);
}

// The media checker reads Shift-JIS and Western texts in one process: a
// code page passed wins over the process's, which stays as it was.
TEST(DbcsCodePage, APassedCodePageWinsOverTheProcessOne)
{
    SetDbcsCodePage(1252);
    const char *table = "\x95\x5C";   // 表 under 932
    EXPECT_EQ(NULL, FindLastSeparator(table, 932));
    EXPECT_EQ(table + 1, FindLastSeparator(table));
    EXPECT_EQ(2u, CountChars("\x83\x41" "a", 932));
    EXPECT_EQ(3u, CountChars("\x83\x41" "a"));
    EXPECT_EQ(1252, GetDbcsCodePage());
    SetDbcsCodePage(0);
}
