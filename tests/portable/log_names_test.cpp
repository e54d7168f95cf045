// Key and section names of the uninstall log.
#include <gtest/gtest.h>

#include <string.h>

#include "core/setup_limits.h"
#include "core/log/log_names.h"

TEST(LogNames, NumberedKeysHaveAtLeastTwoDigits)
{
    char key[LOG_KEY_SIZE];
    FormatLogKey(key, sizeof(key), LOG_FILES, 0);
    EXPECT_STREQ("FILE00", key);
    FormatLogKey(key, sizeof(key), LOG_FILES, 99);
    EXPECT_STREQ("FILE99", key);
    EXPECT_EQ(7, FormatLogKey(key, sizeof(key), LOG_FILES, 100));
    EXPECT_STREQ("FILE100", key);
    FormatLogKey(key, sizeof(key), LOG_PATHS, 7);
    EXPECT_STREQ("PATH07", key);
    EXPECT_EQ(-1, FormatLogKey(key, sizeof(key), LOG_PATHS, -1));
    EXPECT_STREQ("", key);
}

TEST(LogNames, SmallBuffersAreNeverOverrun)
{
    char key[16];
    memset(key, '#', sizeof(key));
    EXPECT_EQ(-1, FormatLogKey(key, 6, LOG_FILES, 12));  // "FILE12" needs 7
    EXPECT_STREQ("", key);
    EXPECT_EQ('#', key[6]);

    char name[12];
    memset(name, '#', sizeof(name));
    EXPECT_EQ(-1, FormUninstallSectionName(name, 8, "Files_DLL"));
    EXPECT_STREQ("", name);
    EXPECT_EQ('#', name[8]);
}

TEST(LogNames, PathSectionOverwritesTheFirstFourCharacters)
{
    char name[LOG_SECTION_SIZE];
    FormPathSectionName(name, sizeof(name), "Files_DLL");
    EXPECT_STREQ("Paths_DLL", name);
    FormPathSectionName(name, sizeof(name), "Files_Common");
    EXPECT_STREQ("Paths_Common", name);
    FormPathSectionName(name, sizeof(name), "Files_File");
    EXPECT_STREQ("Paths_File", name);
    FormPathSectionName(name, sizeof(name), "Abc");
    EXPECT_STREQ("Path", name);
}

TEST(LogNames, UninstallSectionIsPrefixed)
{
    char name[LOG_SECTION_SIZE];
    EXPECT_EQ(19, FormUninstallSectionName(name, sizeof(name), "Files_DLL"));
    EXPECT_STREQ("UNINSTALL_Files_DLL", name);
}
