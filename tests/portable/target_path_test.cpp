// The one judgement of a path setup writes and the uninstaller, the
// rollback and the media checker share.
#include <gtest/gtest.h>

#include <string>

#include "core/text/target_path.h"

TEST(TargetPath, EachVerdictFromTheSpellingsThatReachIt)
{
    struct Case {
        const char *path;
        TargetPathVerdict verdict;
    } cases[] = {
        {"C:\\Program Files\\App\\app.exe", TARGET_PATH_OK},
        {"d:\\a", TARGET_PATH_OK},
        {"C:\\a\\.hidden", TARGET_PATH_OK},
        {"", TARGET_PATH_NOT_COMPLETE},
        {"Common\\app.exe", TARGET_PATH_NOT_COMPLETE},
        {"@SystemDir\\net.dll", TARGET_PATH_NOT_COMPLETE},
        {"\\\\server\\share\\a", TARGET_PATH_NOT_COMPLETE},
        {"\\\\?\\C:\\a", TARGET_PATH_NOT_COMPLETE},
        {"C:a", TARGET_PATH_NOT_COMPLETE},
        {"1:\\a", TARGET_PATH_NOT_COMPLETE},
        {"C:\\", TARGET_PATH_DRIVE_ROOT},
        {"C:\\App\\..\\Shared\\a.dll", TARGET_PATH_DOT_COMPONENT},
        {"C:\\App\\.\\a", TARGET_PATH_DOT_COMPONENT},
        {"C:\\App\\\\a", TARGET_PATH_DOT_COMPONENT},
        {"C:\\App\\", TARGET_PATH_DOT_COMPONENT},
        {"C:\\Startup.\\a", TARGET_PATH_DOT_COMPONENT},
        {"C:\\App \\a", TARGET_PATH_DOT_COMPONENT},
        {"C:\\manual/index.txt", TARGET_PATH_FORBIDDEN_CHAR},
        {"C:\\a\\b:stream", TARGET_PATH_FORBIDDEN_CHAR},
        {"C:\\a\\b*", TARGET_PATH_FORBIDDEN_CHAR},
        {"C:\\a\\b|c", TARGET_PATH_FORBIDDEN_CHAR},
        {"C:\\a\\b\tc", TARGET_PATH_FORBIDDEN_CHAR},
        {"C:\\Aux", TARGET_PATH_DEVICE},
        {"C:\\app\\con.txt", TARGET_PATH_DEVICE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.verdict, JudgeTargetPath(c.path, 1252)) << c.path;
}

TEST(TargetPath, ShiftJisTrailBytesArePartOfTheName)
{
    // ソ is 0x83 0x5C and 表 0x95 0x5C; 0x83 0x7C is a character whose
    // second byte is '|'.
    EXPECT_EQ(TARGET_PATH_OK,
              JudgeTargetPath("C:\\\x83\x5C" "\\\x95\x5C\\a", 932));
    EXPECT_EQ(TARGET_PATH_OK, JudgeTargetPath("C:\\a\x83\x7C", 932));
    EXPECT_EQ(TARGET_PATH_FORBIDDEN_CHAR,
              JudgeTargetPath("C:\\a\x83\x7C", 1252));
    EXPECT_EQ(TARGET_PATH_BROKEN_CHAR, JudgeTargetPath("C:\\a\x83", 932));
    // A lead byte before a byte no character ends in: '/' stays '/'.
    EXPECT_EQ(TARGET_PATH_BROKEN_CHAR, JudgeTargetPath("C:\\a\xE5/b", 932));
}

TEST(TargetPath, TheLongestPathIsUsedWholeAndOneMoreIsRefused)
{
    std::string limit = "C:\\" + std::string(256, 'a');   // 259 characters
    EXPECT_EQ(TARGET_PATH_OK, JudgeTargetPath(limit.c_str(), 1252));
    std::string past = limit + "a";
    EXPECT_EQ(TARGET_PATH_TOO_LONG, JudgeTargetPath(past.c_str(), 1252));
    EXPECT_STRNE("", DescribeTargetPathVerdict(TARGET_PATH_TOO_LONG));
}
