#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "core/script/answer_file.h"

namespace {

std::string Resolve(const std::string &name, const std::string &folder,
                    int expected, size_t size = PATH_SIZE)
{
    SCOPED_TRACE(name);
    char path[PATH_SIZE + 8];
    memset(path, '#', sizeof(path));
    EXPECT_EQ(expected, ResolveAnswerPath(name.c_str(), folder.c_str(), path,
                                          size));
    for (size_t i = size; i < sizeof(path); i++)
        EXPECT_EQ('#', path[i]) << "written past the path at " << i;
    return path;
}

}  // namespace

TEST(ResolveAnswerPath, BareNamesLieBesideTheProgram)
{
    EXPECT_EQ("D:\\Inst\\a.ini", Resolve("a.ini", "D:\\Inst", 1));
    EXPECT_EQ("C:\\t\\a.ini", Resolve("C:\\t\\a.ini", "D:\\Inst", 1));
    EXPECT_EQ("c:a.ini", Resolve("c:a.ini", "D:\\Inst", 1));
    EXPECT_EQ("", Resolve("", "D:\\Inst", 0));
    // "ソ.ini": under Shift-JIS the 0x5C is half of one character.
    SetDbcsCodePage(932);
    EXPECT_EQ("D:\\Inst\\\x83\x5C.ini", Resolve("\x83\x5C.ini", "D:\\Inst", 1));
    SetDbcsCodePage(1252);
    EXPECT_EQ("\x83\x5C.ini", Resolve("\x83\x5C.ini", "D:\\Inst", 1));
    SetDbcsCodePage(0);
}

TEST(ResolveAnswerPath, AtTheLimitAndOnePast)
{
    std::string folder = "D:\\" + std::string(200, 'f');
    // folder + "\\" + name: 259 characters fit, 260 do not.
    std::string fits(PATH_SIZE - 1 - folder.size() - 1, 'n');
    EXPECT_EQ(folder + "\\" + fits, Resolve(fits, folder, 1));
    EXPECT_EQ("", Resolve(fits + "n", folder, -1));
    std::string full = "C:\\" + std::string(PATH_SIZE - 4, 'p');
    EXPECT_EQ(full, Resolve(full, folder, 1));
    EXPECT_EQ("", Resolve(full + "p", folder, -1));
    EXPECT_EQ("", Resolve("a.ini", std::string(400, 'f'), -1));
    EXPECT_EQ("", Resolve("a.ini", "D:\\Inst", -1, 1));
}

TEST(SectionListHolds, NamesAsTheProfileServiceGivesThem)
{
    static const char list[] = "Other\0setup\0\0";
    EXPECT_TRUE(SectionListHolds(list, sizeof(list), "Setup"));
    EXPECT_FALSE(SectionListHolds(list, sizeof(list), "Set"));
    EXPECT_FALSE(SectionListHolds("\0", 1, "Setup"));
    // A list cut inside a name: the cut name is not compared.
    static const char cut[] = {'O', '\0', 'S', 'e', 't', 'u', 'p'};
    EXPECT_FALSE(SectionListHolds(cut, sizeof(cut), "Setup"));
    EXPECT_TRUE(SectionListHolds(cut, sizeof(cut), "o"));
}

// An editor's UTF-8 mark before "[Setup]" is skipped; a mark anywhere
// else, or half a mark, is text as the profile service sees it.
TEST(AnswerValues, ByteOrderMarkIsSkippedOnlyAtTheStart)
{
    const std::string mark = "\xEF\xBB\xBF";
    const std::string body = "[Setup]\r\nGroup=Kit\r\n";
    char value[16];
    for (const std::string &text : {body, mark + body}) {
        SCOPED_TRACE(text.size());
        EXPECT_TRUE(HoldsSetupSection(text.data(), text.size()));
        EXPECT_EQ(1, ReadAnswerValue(text.data(), text.size(), "group", value,
                                     sizeof(value)));
        EXPECT_STREQ("Kit", value);
    }
    std::string half = mark.substr(0, 2) + body;
    EXPECT_FALSE(HoldsSetupSection(half.data(), half.size()));
    std::string twice = mark + mark + body;
    EXPECT_FALSE(HoldsSetupSection(twice.data(), twice.size()));
    EXPECT_FALSE(HoldsSetupSection(mark.data(), 2));
    EXPECT_EQ(0, ByteOrderMarkLength(mark.data(), 2));
}

TEST(AnswerValues, AValueAtItsBufferLimitIsWholeOnePastIsRefused)
{
    // Shift-JIS "ソ" (0x83 0x5C) fills the last two bytes.
    SetDbcsCodePage(932);
    std::string fits = std::string(13, 'g') + "\x83\x5C";
    char value[16];
    for (int extra = 0; extra < 2; extra++) {
        std::string group = fits + std::string(extra, 'x');
        std::string text = "\xEF\xBB\xBF[Setup]\nGroup=" + group + "\nX=1";
        memset(value, '#', sizeof(value));
        int got = ReadAnswerValue(text.data(), text.size(), "Group", value,
                                  sizeof(value));
        EXPECT_EQ(extra == 0 ? 1 : -1, got) << extra;
        EXPECT_EQ(extra == 0 ? fits : "", std::string(value)) << extra;
    }
    EXPECT_EQ(0, ReadAnswerValue("[Setup]\nGroup=\n", 15, "Group", value,
                                 sizeof(value)));
    EXPECT_EQ(0, ReadAnswerValue("[Other]\nGroup=a\n", 16, "Group", value,
                                 sizeof(value)));
    SetDbcsCodePage(0);
}
