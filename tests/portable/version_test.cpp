#include <gtest/gtest.h>

#include <string>

#include "core/text/version.h"

TEST(CompareVersions, MissingPartLosesToPresentOne)
{
    EXPECT_EQ(-1, CompareVersions("1.0", "1.0.0"));
    EXPECT_EQ(1, CompareVersions("1.0.0", "1.0"));
    EXPECT_EQ(-1, CompareVersions("", "1"));
    EXPECT_EQ(0, CompareVersions("", ""));
}

TEST(CompareVersions, PartsCompareAsNumbers)
{
    EXPECT_EQ(1, CompareVersions("1.10", "1.9"));
    EXPECT_EQ(-1, CompareVersions("2.0.9", "2.0.10"));
    EXPECT_EQ(0, CompareVersions("01.2", "1.02"));
    EXPECT_EQ(0, CompareVersions("1.x", "1.0"));  // no digits counts as 0
    EXPECT_EQ(-1, CompareVersions("-1", "0"));
}

TEST(CompareVersions, SeparatorsAndExtraParts)
{
    EXPECT_EQ(0, CompareVersions("1.0.0.5", "1.0.0"));
    EXPECT_EQ(0, CompareVersions("1.2.3\r\n", "1.2.3"));
    EXPECT_EQ(0, CompareVersions("1..2", "1.2"));
    EXPECT_EQ(0, CompareVersions("..1.2", "1.2"));
}

TEST(CompareVersions, HugeNumbersAndLongTextsAreSafe)
{
    EXPECT_EQ(1, CompareVersions("99999999999999999999999", "2147483646"));
    EXPECT_EQ(0, CompareVersions("99999999999999999999999",
                                 "99999999999999999999998"));
    std::string longText(5000, '9');
    EXPECT_EQ(0, CompareVersions(longText.c_str(), longText.c_str()));
}

TEST(IsPlainVersion, OnlyDigitsAndDotsInOneToThreeParts)
{
    for (const char *good : {"1", "1.2", "1.2.0", "123456789.0.10"})
        EXPECT_TRUE(IsPlainVersion(good)) << good;
    for (const char *bad : {"", "V1.2.0", "1.2.0.4", "1..2", "1.2.", ".1",
                            " 1.2", "1.2 ", "1.-2", "1234567890", "1,2"})
        EXPECT_FALSE(IsPlainVersion(bad)) << bad;
}
