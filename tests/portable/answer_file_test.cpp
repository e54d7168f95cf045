#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "core/script/answer_file.h"
#include "core/text/ini_reader.h"

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

namespace {

// The built text's result, and each answer as the profile reader reads it
// back (or the refused key); nothing is written past size.
std::string Build(const std::string &language, const std::string &destination,
                  const std::string &group, size_t size = ANSWER_TEXT_SIZE)
{
    RecordedAnswers answers = {language.c_str(), destination.c_str(),
                               group.c_str()};
    char text[ANSWER_TEXT_SIZE + 8];
    memset(text, '#', sizeof(text));
    const char *refused = NULL;
    AnswerTextResult result = BuildAnswerText(&answers, text, size, &refused);
    for (size_t i = size; i < sizeof(text); i++)
        EXPECT_EQ('#', text[i]) << "written past the text at " << i;
    if (result == ANSWER_TEXT_TOO_LONG)
        return "too long";
    if (result == ANSWER_TEXT_UNREADABLE)
        return std::string("refused ") + refused + (text[0] ? " with text" : "");
    std::string read;
    for (const char *key : {"Language", "Destination", "Group"}) {
        char value[2 * PATH_SIZE];
        ReadIniString(text, strlen(text), "Setup", key, "<missing>", value,
                      sizeof(value), NULL, NULL);
        read += std::string(read.empty() ? "" : "|") + value;
    }
    return read;
}

}  // namespace

TEST(BuildAnswerText, ValuesReadBackExactlyOrAreRefused)
{
    for (const char *group : {"x=y ; z", "  lead and trail\t", "'single'", " "})
        EXPECT_EQ(std::string("eng|\"C:\\a=b;[c]\"|") + group,
                  Build("eng", "\"C:\\a=b;[c]\"", group));
    EXPECT_EQ("refused Group", Build("eng", "C:\\a", "one\r\ntwo"));
    EXPECT_EQ("refused Destination", Build("", "C:\\a\r\nGroup=x", "G"));
    EXPECT_EQ("refused Destination", Build("eng", "", "G"));
    SetDbcsCodePage(932);
    // A backslash trail byte inside and last: whole characters.
    EXPECT_EQ("jpn|C:\\\x83\x5C \x95\x5C|\x95\x5C",
              Build("jpn", "C:\\\x83\x5C \x95\x5C", "\x95\x5C"));
    EXPECT_EQ("refused Group", Build("jpn", "C:\\a", "G\x83"));
    SetDbcsCodePage(0);
}

TEST(BuildAnswerText, AtTheWidthsAndOnePast)
{
    std::string path = "C:\\" + std::string(PATH_SIZE - 5, 'p') + " ";
    std::string group(GROUP_NAME_SIZE - 1, 'g');
    std::string language(LANGUAGE_CODE_SIZE - 1, 'l');
    EXPECT_EQ(language + "|" + path + "|" + group,
              Build(language, path, group));
    EXPECT_EQ("refused Destination", Build(language, path + "p", group));
    EXPECT_EQ("refused Group", Build(language, path, group + "g"));
    EXPECT_EQ("refused Language", Build(language + "l", path, group));
    // Every smaller buffer is refused whole (the marker shows a write past
    // it), and the widest answers fit the program's buffer.
    size_t size = 0;
    while (size < ANSWER_TEXT_SIZE &&
           Build(language, path, group, size) == "too long")
        size++;
    EXPECT_LT(size, (size_t)ANSWER_TEXT_SIZE);
    EXPECT_EQ("too long", Build("eng", "C:\\a", "G", 0));
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
