#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"

namespace {

// A buffer pre-filled with a marker, with guard bytes behind the part the
// function is told about, so an overlong or unterminated write shows.
struct GuardedBuffer {
    static const size_t kGuard = 16;
    explicit GuardedBuffer(size_t size, const char *initial = "") : size(size)
    {
        memset(bytes, '#', sizeof(bytes));
        strcpy(bytes, initial);
    }
    bool GuardIntact() const
    {
        for (size_t i = size; i < size + kGuard; i++)
            if (bytes[i] != '#')
                return false;
        return true;
    }
    size_t size;
    char bytes[1024];
};

class ShiftJis : public testing::Test {
protected:
    void SetUp() override { SetDbcsCodePage(932); }
    void TearDown() override { SetDbcsCodePage(0); }
};

// "ソ" is 0x83 0x5C and "表" is 0x95 0x5C in Shift-JIS.
const char kSo[] = "\x83\x5C";
const char kHyo[] = "\x95\x5C";

}  // namespace

TEST(AppendPath, JoinsWithOneSeparator)
{
    char path[260] = "E:\\Program Files";
    EXPECT_EQ(21, AppendPath(path, sizeof(path), "Tool"));
    EXPECT_STREQ("E:\\Program Files\\Tool", path);

    strcpy(path, "E:\\");
    EXPECT_EQ(7, AppendPath(path, sizeof(path), "\\Tool"));
    EXPECT_STREQ("E:\\Tool", path);

    strcpy(path, "D:\\SETUP");
    EXPECT_EQ(9, AppendPath(path, sizeof(path), ""));
    EXPECT_STREQ("D:\\SETUP\\", path);
}

TEST(AppendPath, DropsOnlyOneLeadingBackslash)
{
    char path[260] = "C:\\A";
    AppendPath(path, sizeof(path), "\\\\B");
    EXPECT_STREQ("C:\\A\\\\B", path);
}

TEST(AppendPath, RefusesWhatWouldNotFitAndLeavesPathUnchanged)
{
    GuardedBuffer path(260, "E:\\A");
    std::string component(255, 'x');
    EXPECT_EQ(-1, AppendPath(path.bytes, path.size, component.c_str()));
    EXPECT_STREQ("E:\\A", path.bytes);

    component.resize(254);
    EXPECT_EQ(259, AppendPath(path.bytes, path.size, component.c_str()));
    EXPECT_EQ(259u, strlen(path.bytes));
    EXPECT_TRUE(path.GuardIntact());
}

TEST(AppendPath, TinyBuffersAreRefused)
{
    char path[1] = "";
    EXPECT_EQ(-1, AppendPath(path, 0, "a"));
    EXPECT_EQ(-1, AppendPath(path, 1, ""));
}

TEST(AppendPath, EmptyPathTakesTheComponentWithoutSeparator)
{
    char path[260] = "";
    EXPECT_EQ(4, AppendPath(path, sizeof(path), "\\Tool"));
    EXPECT_STREQ("Tool", path);
}

TEST_F(ShiftJis, TrailByte5CIsNotASeparator)
{
    char path[260];
    snprintf(path, sizeof(path), "C:\\%s", kSo);  // C:\ソ
    AppendPath(path, sizeof(path), "a");
    EXPECT_EQ(std::string("C:\\") + kSo + "\\a", path);

    snprintf(path, sizeof(path), "C:\\%s\\", kHyo);  // C:\表\ .
    AppendPath(path, sizeof(path), "b");
    EXPECT_EQ(std::string("C:\\") + kHyo + "\\b", path);
}

TEST(AppendPathSingleByte, Byte5CAfterA83IsASeparatorInCodePage1252)
{
    SetDbcsCodePage(1252);
    char path[260];
    snprintf(path, sizeof(path), "C:\\%s", kSo);
    AppendPath(path, sizeof(path), "a");
    EXPECT_EQ(std::string("C:\\") + kSo + "a", path);
    SetDbcsCodePage(0);
}

TEST(ReplaceToken, ReplacesEveryOccurrenceLeftToRight)
{
    char text[260] = "@WINDOWSDIR\\x;@WINDOWSDIR";
    ReplaceToken(text, sizeof(text), "@WINDOWSDIR", "C:\\windows");
    EXPECT_STREQ("C:\\windows\\x;C:\\windows", text);
}

TEST(ReplaceToken, SkipsTheTokenRightBehindAReplacement)
{
    char text[260] = "@SYSTEMDIR@SYSTEMDIR";
    ReplaceToken(text, sizeof(text), "@SYSTEMDIR", "S");
    EXPECT_STREQ("S@SYSTEMDIR", text);
}

TEST(ReplaceToken, IsCaseSensitiveAndNeverSearchesInsertedText)
{
    char text[260] = "@langdir";
    ReplaceToken(text, sizeof(text), "@LANGDIR", "jpn");
    EXPECT_STREQ("@langdir", text);

    strcpy(text, "@A");
    ReplaceToken(text, sizeof(text), "@A", "@A@A");
    EXPECT_STREQ("@A@A", text);
}

TEST(ReplaceToken, WholeTextAndEmptyText)
{
    char text[260] = "@STARTUPDIR";
    ReplaceToken(text, sizeof(text), "@STARTUPDIR", "C:\\Startup");
    EXPECT_STREQ("C:\\Startup", text);

    char empty[4] = "";
    EXPECT_EQ(1, ReplaceToken(empty, sizeof(empty), "@X", "y"));
    EXPECT_STREQ("", empty);
}

TEST(ReplaceToken, LeavesATokenWhoseReplacementWouldNotFit)
{
    GuardedBuffer text(32, "a@Xb@Xc");
    std::string longText(40, 'L');
    ReplaceToken(text.bytes, text.size, "@X", longText.c_str());
    EXPECT_STREQ("a@Xb@Xc", text.bytes);
    EXPECT_TRUE(text.GuardIntact());

    // A long tail behind the token is kept whole when the result fits.
    std::string tail(400, 't');
    GuardedBuffer big(1000, ("@X" + tail).c_str());
    ReplaceToken(big.bytes, big.size, "@X", "R");
    EXPECT_EQ("R" + tail, big.bytes);
    EXPECT_TRUE(big.GuardIntact());
}

TEST_F(ShiftJis, TokenIsNotMatchedInsideADoubleByteCharacter)
{
    // 0x81 0x40 is the ideographic space; its trail byte is '@'.
    char text[260] = "\x81@X";
    ReplaceToken(text, sizeof(text), "@X", "Y");
    EXPECT_STREQ("\x81@X", text);
}
