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
