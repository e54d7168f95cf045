#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"

namespace {

struct Read {
    std::string value;
    int line;
};

Read ReadKey(const std::string &text, const char *section, const char *key,
             size_t size = 256)
{
    char buffer[4096 + 8];
    memset(buffer, '#', sizeof(buffer));
    Read read;
    ReadIniString(text.data(), text.size(), section, key, "<none>", buffer,
                  size, &read.line, NULL);
    EXPECT_EQ('#', buffer[size]) << "written past the buffer";
    read.value = buffer;
    return read;
}

}  // namespace

TEST(IniReader, NamesMatchWithoutCaseAndTheFirstWins)
{
    std::string text = "[Lang]\r\nk=1\r\nK=2\r\n[LANG]\r\nother=3\r\n";
    Read r = ReadKey(text, "lang", "K");
    EXPECT_EQ("1", r.value);
    EXPECT_EQ(2, r.line);
    // Only the first section of a name is searched.
    EXPECT_EQ("<none>", ReadKey(text, "Lang", "other").value);
    EXPECT_EQ(0, ReadKey(text, "Lang", "other").line);
}

TEST(IniReader, BlanksQuotesAndLineEnds)
{
    std::string text = " [ S ] \rk1 =  \"  inner  \" \nk2='x'\r\n"
                       "k3=\"\nk4=\"a'\nbare\nk5= v \x1a";
    EXPECT_EQ("  inner  ", ReadKey(text, "S", "k1").value);
    EXPECT_EQ("x", ReadKey(text, "S", "k2").value);
    EXPECT_EQ("\"", ReadKey(text, "S", "k3").value);
    EXPECT_EQ("\"a'", ReadKey(text, "S", "k4").value);
    EXPECT_EQ("<none>", ReadKey(text, "S", "bare").value);
    EXPECT_EQ("v", ReadKey(text, "S", "k5").value);
    EXPECT_EQ(7, ReadKey(text, "S", "k5").line);
    // Lines before any header belong to the section without a name.
    EXPECT_EQ("y", ReadKey("x=y\n[S]\n", "", "x").value);
}

TEST(IniReader, ValueCutAtTheBufferAndAtWholeCharacters)
{
    std::string text = "[S]\nk=" + std::string(63, 'a') + "\n";
    EXPECT_EQ(std::string(63, 'a'), ReadKey(text, "S", "k", 64).value);
    EXPECT_EQ(std::string(62, 'a'), ReadKey(text, "S", "k", 63).value);
    EXPECT_EQ("", ReadKey(text, "S", "k", 1).value);

    SetDbcsCodePage(932);
    // ソ is 0x83 0x5C: the cut never leaves its lead byte alone.
    std::string sjis = "[S]\nk=a\x83\x5C\n";
    EXPECT_EQ("a", ReadKey(sjis, "S", "k", 3).value);
    EXPECT_EQ("a\x83\x5C", ReadKey(sjis, "S", "k", 4).value);
    SetDbcsCodePage(0);

    size_t full = 0;
    char small[4];
    ReadIniString(text.data(), text.size(), "S", "k", "", small,
                  sizeof(small), NULL, &full);
    EXPECT_EQ(63u, full);
}

TEST(IniReader, NulEndsAValueAndNumbersReadAsTheServiceDoes)
{
    std::string text("[S]\nk=a\0b\nn= -12x\nh=0x1F\ne=\n", 27);
    EXPECT_EQ("a", ReadKey(text, "S", "k").value);
    EXPECT_EQ(-12, ReadIniInt(text.data(), text.size(), "S", "n", 5, NULL));
    EXPECT_EQ(31, ReadIniInt(text.data(), text.size(), "S", "h", 5, NULL));
    EXPECT_EQ(5, ReadIniInt(text.data(), text.size(), "S", "e", 5, NULL));
    EXPECT_EQ(5, ReadIniInt(text.data(), text.size(), "S", "none", 5, NULL));
}

TEST(IniReader, LinesAreNumberedAsAnEditorShowsThem)
{
    std::string text = "a\r\nb\rc\nd";
    IniCursor cursor;
    StartIniLines(&cursor, text.data(), text.size());
    IniLine line;
    std::string seen;
    while (NextIniLine(&cursor, &line))
        seen += std::to_string(line.number) +
                std::string(line.start, line.length) + " ";
    EXPECT_EQ("1a 2b 3c 4d ", seen);
}
