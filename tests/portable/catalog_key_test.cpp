#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/catalog/catalog_key.h"

TEST(SectionKey, AtFormNamesSectionAndKey)
{
    char section[64];
    char name[32];
    ASSERT_TRUE(SplitSectionKey("@LABEL@INSTALL", section, sizeof(section),
                                name, sizeof(name)));
    EXPECT_STREQ("LABEL", section);
    EXPECT_STREQ("INSTALL", name);
    // Anything after a third "@" is not part of the key.
    ASSERT_TRUE(SplitSectionKey("@A@B@C", section, sizeof(section), name,
                                sizeof(name)));
    EXPECT_STREQ("A", section);
    EXPECT_STREQ("B", name);
}

TEST(SectionKey, PlainOrIncompleteKeysGiveNothing)
{
    char section[64];
    char name[32];
    for (const char *key : {"INSTALL", "", "@", "@@", "@LABEL", "@LABEL@"}) {
        SCOPED_TRACE(key);
        memset(section, 'x', sizeof(section));
        memset(name, 'x', sizeof(name));
        EXPECT_FALSE(SplitSectionKey(key, section, sizeof(section), name,
                                     sizeof(name)));
        EXPECT_STREQ("", section);
        EXPECT_STREQ("", name);
    }
}

TEST(SectionKey, OverlongPartsAreCut)
{
    std::string key = "@" + std::string(100, 'S') + "@" + std::string(80, 'K');
    char section[64];
    char name[32];
    ASSERT_TRUE(SplitSectionKey(key.c_str(), section, sizeof(section), name,
                                sizeof(name)));
    EXPECT_EQ(std::string(63, 'S'), section);
    EXPECT_EQ(std::string(31, 'K'), name);
}
