#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/setup_limits.h"
#include "core/text/text_split.h"

namespace {

struct Parsed {
    CommandLineOptions options;
    std::string code;
};

Parsed Parse(const char *commandLine)
{
    char code[LANGUAGE_CODE_SIZE + 8];
    memset(code, '#', sizeof(code));
    strcpy(code, "jpn");
    Parsed parsed;
    parsed.options = ParseCommandLine(commandLine, code, LANGUAGE_CODE_SIZE);
    for (size_t i = LANGUAGE_CODE_SIZE; i < sizeof(code); i++)
        EXPECT_EQ('#', code[i]) << "written past the code at " << i;
    parsed.code = code;
    return parsed;
}

}  // namespace

TEST(ParseCommandLine, LanguageTokens)
{
    Parsed p = Parse("-lfra");
    EXPECT_TRUE(p.options.languageGiven);
    EXPECT_EQ("fra", p.code);
    EXPECT_EQ("FRA", Parse("-LFRA").code);
    EXPECT_EQ("eng", Parse("-lfra -leng").code);

    p = Parse("-l");
    EXPECT_TRUE(p.options.languageGiven);
    EXPECT_EQ("", p.code);

    p = Parse("");
    EXPECT_FALSE(p.options.languageGiven);
    EXPECT_EQ("jpn", p.code);
}

TEST(ParseCommandLine, NoLicenceTokens)
{
    EXPECT_TRUE(Parse("nolic").options.noLicense);
    EXPECT_TRUE(Parse("x NoLicense").options.noLicense);
    EXPECT_FALSE(Parse("xNoLic").options.noLicense);
    Parsed p = Parse("-lNoLic");
    EXPECT_FALSE(p.options.noLicense);
    EXPECT_EQ("NoLic", p.code);
}

TEST(ParseCommandLine, OnlySpacesSeparate)
{
    Parsed p = Parse("-lfra\tNoLic");
    EXPECT_EQ("fra\tNoLic", p.code);
    EXPECT_FALSE(p.options.noLicense);
    EXPECT_EQ("eng", Parse("   -leng   ").code);
}

TEST(ParseCommandLine, OverlongInputIsCut)
{
    std::string code(200, 'c');
    Parsed p = Parse(("-l" + code).c_str());
    EXPECT_EQ(std::string(LANGUAGE_CODE_SIZE - 1, 'c'), p.code);

    std::string line(5000, 'x');
    line += " -leng";
    EXPECT_EQ("eng", Parse(line.c_str()).code);
}

TEST(ParseCommandLine, UnattendedAndAnswerTokens)
{
    Parsed p = Parse("-s -aanswers.ini -leng NoLic");
    EXPECT_TRUE(p.options.unattended);
    EXPECT_TRUE(p.options.answerGiven);
    EXPECT_STREQ("answers.ini", p.options.answerFile);
    // The tokens known before keep their meaning beside the new ones.
    EXPECT_EQ("eng", p.code);
    EXPECT_TRUE(p.options.noLicense);

    EXPECT_TRUE(Parse("-S").options.unattended);
    EXPECT_FALSE(Parse("-silent").options.unattended);
    EXPECT_FALSE(Parse("x-s").options.unattended);
    EXPECT_TRUE(Parse("-aa.ini -V").options.verifyMedia);
    EXPECT_FALSE(Parse("-verify").options.verifyMedia);
    EXPECT_FALSE(Parse("-s").options.verifyMedia);
    EXPECT_STREQ("B.INI", Parse("-aa.ini -AB.INI").options.answerFile);
    p = Parse("-a");
    EXPECT_TRUE(p.options.answerGiven);
    EXPECT_STREQ("", p.options.answerFile);
    p = Parse("-lfra");
    EXPECT_FALSE(p.options.unattended);
    EXPECT_FALSE(p.options.answerGiven);
    // A Shift-JIS name is one token: only spaces separate.
    EXPECT_STREQ("\x83\x5C.ini", Parse("-a\x83\x5C.ini").options.answerFile);

    // -r names the file a clicked run records into; it is not -a.
    p = Parse("-rone.ini NoLic -RC:\\rec\x95\x5C.ini");
    EXPECT_TRUE(p.options.recordGiven);
    EXPECT_FALSE(p.options.answerGiven);
    EXPECT_FALSE(p.options.unattended);
    EXPECT_STREQ("C:\\rec\x95\x5C.ini", p.options.recordFile);
    EXPECT_FALSE(Parse("-s -aa.ini").options.recordGiven);
    EXPECT_FALSE(p.options.recordMayBeCut);

    // A command line as long as its copy: a -r name at its end may be cut.
    std::string pad(COMMAND_LINE_SIZE - 1 - 10, 'x');
    EXPECT_TRUE(Parse((pad + " -rabc.ini").c_str()).options.recordMayBeCut);
    EXPECT_FALSE(Parse((pad + " -rabc.in").c_str()).options.recordMayBeCut);
    EXPECT_FALSE(Parse(("-rabc.ini " + pad).c_str()).options.recordMayBeCut);
    EXPECT_FALSE(Parse((pad + "-rabc.ini ").c_str()).options.recordMayBeCut);
}

TEST(SplitListValue, NameAndCode)
{
    char name[LANGUAGE_NAME_SIZE];
    char code[LANGUAGE_TABLE_CODE_SIZE];
    SplitListValue("English;eng", name, sizeof(name), code, sizeof(code));
    EXPECT_STREQ("English", name);
    EXPECT_STREQ("eng", code);

    SplitListValue(";;Deutsch;deu;extra", name, sizeof(name), code,
                   sizeof(code));
    EXPECT_STREQ("Deutsch", name);
    EXPECT_STREQ("deu", code);

    SplitListValue("Deutsch", name, sizeof(name), code, sizeof(code));
    EXPECT_STREQ("Deutsch", name);
    EXPECT_STREQ("", code);
}

TEST(SplitListValue, OverlongFieldsAreCut)
{
    char buffers[LANGUAGE_NAME_SIZE + LANGUAGE_TABLE_CODE_SIZE + 16];
    memset(buffers, '#', sizeof(buffers));
    char *name = buffers;
    char *code = buffers + LANGUAGE_NAME_SIZE + 8;
    std::string value = std::string(100, 'N') + ";" + std::string(100, 'C');
    SplitListValue(value.c_str(), name, LANGUAGE_NAME_SIZE, code,
                   LANGUAGE_TABLE_CODE_SIZE);
    EXPECT_EQ(std::string(LANGUAGE_NAME_SIZE - 1, 'N'), name);
    EXPECT_EQ(std::string(LANGUAGE_TABLE_CODE_SIZE - 1, 'C'), code);
    for (int i = LANGUAGE_NAME_SIZE; i < LANGUAGE_NAME_SIZE + 8; i++)
        EXPECT_EQ('#', buffers[i]);
    EXPECT_EQ('#', code[LANGUAGE_TABLE_CODE_SIZE]);
}
