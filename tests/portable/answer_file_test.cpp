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

// An editor's UTF-8 mark before "[Setup]" is skipped, and only there; a
// value that fills its buffer (a Shift-JIS "ソ" last) is whole, one byte
// more is refused rather than cut.
TEST(AnswerValues, MarkSkippedAtTheStartValuesWholeOrRefused)
{
    SetDbcsCodePage(932);
    const std::string mark = "\xEF\xBB\xBF";
    const std::string fits = std::string(13, 'g') + "\x83\x5C";
    char value[16];
    for (const std::string &tail : {std::string(), std::string("x")}) {
        std::string text = mark + "[Setup]\r\nGroup=" + fits + tail + "\nX=1";
        EXPECT_TRUE(HoldsSetupSection(text.data(), text.size()));
        int got = ReadAnswerValue(text.data(), text.size(), "group", value,
                                  sizeof(value));
        EXPECT_EQ(tail.empty() ? 1 : -1, got);
        EXPECT_EQ(tail.empty() ? fits : "", std::string(value));
    }
    for (const std::string &start : {mark.substr(0, 2), mark + mark}) {
        std::string text = start + "[Setup]\n";
        EXPECT_FALSE(HoldsSetupSection(text.data(), text.size()));
    }
    EXPECT_EQ(0, ReadAnswerValue("[Setup]\nGroup=\n", 15, "Group", value,
                                 sizeof(value)));
    SetDbcsCodePage(0);
}
