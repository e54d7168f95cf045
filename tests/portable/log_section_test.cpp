// A whole uninstall-log section read in one go: the numbered keys, the
// first gap and the first match, as a read of every key would find them.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "install/log_section.h"

namespace {

// "FILE00=a|FILE01=b" as the profile service returns it: lines ending in
// NUL and one more NUL.
std::string Section(std::string lines)
{
    for (char &c : lines)
        if (c == '|')
            c = '\0';
    return lines + std::string(2, '\0');
}

struct Scan {
    int result;
    int match = -7;
    int firstFree = -7;
};

Scan ScanOf(const std::string &section, const char *value,
            LogList list = LOG_FILES)
{
    Scan scan;
    scan.result = ScanLogSection(section.data(), section.size(), list, value,
                                 &scan.match, &scan.firstFree);
    return scan;
}

}  // namespace

TEST(LogSection, KeysAreReadAsTheProfileServiceFindsThem)
{
    EXPECT_EQ(7, ParseLogKey("file07", 6, LOG_FILES));
    EXPECT_EQ(123, ParseLogKey("PaTh123", 7, LOG_PATHS));
    EXPECT_EQ(-1, ParseLogKey("PATH07", 6, LOG_FILES));
    for (const char *key : {"FILE7", "FILE007", "FILE0100", "FILE-1",
                            "FILE1x", "FIL\xC5" "00", "FILE\xEF\xBC\x90" "0"})
        EXPECT_EQ(-1, ParseLogKey(key, strlen(key), LOG_FILES)) << key;
    // The limit is tested after the last digit is added.
    EXPECT_EQ(4095, ParseLogKey("FILE4095", 8, LOG_FILES));
    for (const char *key : {"FILE4096", "FILE4160", "FILE5000", "FILE40959",
                            "FILE99999999999999999999"})
        EXPECT_EQ(LOG_KEY_BEYOND, ParseLogKey(key, strlen(key), LOG_FILES))
            << key;
    EXPECT_EQ(LOG_KEY_BEYOND, ParseLogKey("PATH5000", 8, LOG_PATHS));
    EXPECT_TRUE(KeyNamesEqual("file", "FILE", 4));
    EXPECT_FALSE(KeyNamesEqual("\xE0", "\xC0", 1));
}

TEST(LogSection, HighKeysPastTheGapChangeNothing)
{
    std::string section =
        Section("FILE00=a|FILE4160=b|FILE40959=c|FILE4095=d|file4096=e|"
                "FILE99999999999=f");
    Scan scan = ScanOf(section, "b");
    EXPECT_EQ(1, scan.result);
    EXPECT_EQ(1, scan.firstFree);
    EXPECT_EQ(-1, scan.match);
    EXPECT_EQ(0, ScanOf(section, "a").match);
    EXPECT_STREQ("c", FindLogSectionValue(section.data(), section.size(),
                                          LOG_FILES, 40959));
}

TEST(LogSection, GapMatchDuplicatesAndQuotes)
{
    // The first of a key written twice counts; an empty value is a gap.
    std::string section = Section("FILE01=x|FILE00=a|file01=y|FILE02=|"
                                  "PATH00=p|FILE03=b|junk|=v");
    Scan scan = ScanOf(section, "x");
    EXPECT_EQ(2, scan.firstFree);
    EXPECT_EQ(1, scan.match);
    EXPECT_EQ(-1, ScanOf(section, "y").match);
    EXPECT_EQ(-1, ScanOf(section, "b").match);
    EXPECT_EQ(1, ScanOf(section, NULL, LOG_PATHS).firstFree);
    EXPECT_STREQ("x", FindLogSectionValue(section.data(), section.size(),
                                          LOG_FILES, 1));
    EXPECT_EQ(nullptr, FindLogSectionValue(section.data(), section.size(),
                                           LOG_FILES, 4));
    // A quoted value reads back without its quotes: left to a key read.
    EXPECT_EQ(0, ScanOf(Section("FILE00=\"a\""), "a").result);
    EXPECT_EQ(1, ScanOf(Section(""), "a").result);
    EXPECT_EQ(0, ScanOf(Section(""), "a").firstFree);
}

TEST(LogSection, AllTrackedKeysFilledIsLeftToAKeyRead)
{
    std::string lines;
    for (int i = 0; i < LOG_SNAPSHOT_MAX_INDEX; i++)
        lines += "FILE" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                 "=v|";
    EXPECT_EQ(0, ScanOf(Section(lines), "v").result);
}

TEST(LogSection, ABufferWithoutItsClosingNulsIsNotOverrun)
{
    // The last line is cut off before its NUL: it is not an entry.
    std::string text = "FILE00=a";
    text += '\0';
    text += "FILE01=b";
    Scan scan = ScanOf(text, "b");
    EXPECT_EQ(1, scan.firstFree);
    EXPECT_EQ(-1, scan.match);
}
