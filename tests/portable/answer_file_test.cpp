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

struct Built {
    AnswerTextResult result;
    std::string text;
    std::string refused;
};

Built Build(const std::string &language, const std::string &destination,
            const std::string &group, size_t size = ANSWER_TEXT_SIZE)
{
    RecordedAnswers answers = {language.c_str(), destination.c_str(),
                               group.c_str()};
    char text[ANSWER_TEXT_SIZE + 8];
    memset(text, '#', sizeof(text));
    const char *refused = NULL;
    Built built;
    built.result = BuildAnswerText(&answers, text, size, &refused);
    for (size_t i = size; i < sizeof(text); i++)
        EXPECT_EQ('#', text[i]) << "written past the text at " << i;
    built.text = size > 0 ? text : "";
    built.refused = refused != NULL ? refused : "";
    return built;
}

// What the unattended run reads back for key, through the profile reader.
std::string ReadBack(const Built &built, const char *key)
{
    char value[2 * PATH_SIZE];
    ReadIniString(built.text.c_str(), built.text.size(), "Setup", key,
                  "<missing>", value, sizeof(value), NULL, NULL);
    return value;
}

void ExpectRoundTrip(const std::string &language,
                     const std::string &destination, const std::string &group)
{
    SCOPED_TRACE(destination + "|" + group);
    Built built = Build(language, destination, group);
    ASSERT_EQ(ANSWER_TEXT_BUILT, built.result) << built.refused;
    EXPECT_EQ(language, ReadBack(built, "Language"));
    EXPECT_EQ(destination, ReadBack(built, "Destination"));
    EXPECT_EQ(group, ReadBack(built, "Group"));
}

void ExpectRefused(const char *key, const std::string &language,
                   const std::string &destination, const std::string &group)
{
    SCOPED_TRACE(key);
    Built built = Build(language, destination, group);
    EXPECT_EQ(ANSWER_TEXT_UNREADABLE, built.result);
    EXPECT_EQ(key, built.refused);
    EXPECT_EQ("", built.text);
}

}  // namespace

TEST(BuildAnswerText, ValuesReadBackExactly)
{
    ExpectRoundTrip("", "C:\\a=b;c [Setup]", "x=y ; z");
    ExpectRoundTrip("eng", "  C:\\blanks  ", "  lead and trail\t");
    ExpectRoundTrip("eng", "\"C:\\quoted\"", "'single'");
    ExpectRoundTrip("eng", "C:\\x\"", " ");
    SetDbcsCodePage(932);
    // A backslash trail byte inside and last: still whole characters.
    ExpectRoundTrip("jpn", "C:\\\x83\x5C \x95\x5C", "\x95\x5C\x83\x5C");
    SetDbcsCodePage(0);
}

TEST(BuildAnswerText, ValuesThatCannotReadBackAreRefused)
{
    ExpectRefused("Group", "eng", "C:\\a", "one\r\ntwo");
    ExpectRefused("Destination", "eng", "C:\\a\r\nGroup=evil", "G");
    ExpectRefused("Language", "eng\nDestination=C:\\x", "C:\\a", "G");
    ExpectRefused("Group", "eng", "C:\\a", "");
    ExpectRefused("Destination", "eng", "", "G");
    SetDbcsCodePage(932);
    ExpectRefused("Group", "jpn", "C:\\a", "G\x83");
    ExpectRefused("Destination", "jpn", "C:\\\x83\"", "G");
    SetDbcsCodePage(0);
}

TEST(BuildAnswerText, AtTheWidthsAndOnePast)
{
    std::string path = "C:\\" + std::string(PATH_SIZE - 4, 'p');
    std::string group(GROUP_NAME_SIZE - 1, 'g');
    std::string language(LANGUAGE_CODE_SIZE - 1, 'l');
    ExpectRoundTrip(language, path, group);
    ExpectRefused("Destination", language, path + "p", group);
    ExpectRefused("Group", language, path, group + "g");
    ExpectRefused("Language", language + "l", path, group);
    // Blanks at the ends of the widest values: the quotes still fit.
    ExpectRoundTrip(language, "C:\\" + std::string(PATH_SIZE - 5, 'p') + " ",
                    " " + std::string(GROUP_NAME_SIZE - 2, 'g'));

    Built whole = Build(language, path, group);
    EXPECT_EQ(ANSWER_TEXT_TOO_LONG,
              Build(language, path, group, whole.text.size()).result);
    EXPECT_EQ(ANSWER_TEXT_BUILT,
              Build(language, path, group, whole.text.size() + 1).result);
    EXPECT_EQ(ANSWER_TEXT_TOO_LONG, Build("eng", "C:\\a", "G", 0).result);
}
