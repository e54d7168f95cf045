// A whole uninstall-log section read in one go: the numbered keys, the
// first gap and the first match, as a read of every key would find them.
// The fuzz target compares the scan with a model of such a read.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/log/log_section.h"

namespace {

// "FILE00=a|FILE01=b" as the profile service returns it: lines ending in
// NUL and one more NUL. Returns the scan's result; -7 marks unset outputs.
int Scan(std::string lines, const char *value, int *match, int *firstFree,
         LogList list = LOG_FILES)
{
    for (char &c : lines)
        if (c == '|')
            c = '\0';
    lines += std::string(2, '\0');
    *match = *firstFree = -7;
    return ScanLogSection(lines.data(), lines.size(), list, value, match,
                          firstFree);
}

}  // namespace

TEST(LogSection, KeysAreReadAsTheProfileServiceFindsThem)
{
    EXPECT_EQ(7, ParseLogKey("file07", 6, LOG_FILES));
    EXPECT_EQ(123, ParseLogKey("PaTh123", 7, LOG_PATHS));
    for (const char *key : {"PATH07", "FILE7", "FILE007", "FILE0100",
                            "FILE1x", "FIL\xC5" "00"})
        EXPECT_EQ(-1, ParseLogKey(key, strlen(key), LOG_FILES)) << key;
    // The limit is tested after the last digit is added.
    EXPECT_EQ(4095, ParseLogKey("FILE4095", 8, LOG_FILES));
    for (const char *key : {"FILE4096", "FILE4160", "FILE40959",
                            "FILE99999999999999999999"})
        EXPECT_EQ(LOG_KEY_BEYOND, ParseLogKey(key, strlen(key), LOG_FILES))
            << key;
}

TEST(LogSection, HighKeysPastTheGapChangeNothing)
{
    int match, firstFree;
    std::string lines = "FILE00=a|FILE4160=b|FILE40959=c|file4096=e|"
                        "PATH00=p|PATH5000=q";
    EXPECT_EQ(1, Scan(lines, "b", &match, &firstFree));
    EXPECT_EQ(1, firstFree);
    EXPECT_EQ(-1, match);
    EXPECT_EQ(1, Scan(lines, "p", &match, &firstFree, LOG_PATHS));
    EXPECT_EQ(0, match);
}

TEST(LogSection, GapMatchDuplicatesQuotesAndAFullList)
{
    // The first of a key written twice counts; an empty value is a gap.
    int match, firstFree;
    std::string lines = "FILE01=x|FILE00=a|file01=y|FILE02=|FILE03=b|junk|=v";
    EXPECT_EQ(1, Scan(lines, "x", &match, &firstFree));
    EXPECT_EQ(2, firstFree);
    EXPECT_EQ(1, match);
    Scan(lines, "y", &match, &firstFree);
    EXPECT_EQ(-1, match);
    // Left to a key read: a quoted value (read back without its quotes),
    // and a list whose every tracked number is filled.
    EXPECT_EQ(0, Scan("FILE00=\"a\"", "a", &match, &firstFree));
    std::string full;
    for (int i = 0; i < LOG_SNAPSHOT_MAX_INDEX; i++)
        full += "FILE" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                "=v|";
    EXPECT_EQ(0, Scan(full, "v", &match, &firstFree));
}
