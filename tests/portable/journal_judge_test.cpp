// What a journal may make a rollback or commit do, judged from its lines:
// the run's side names only, complete local paths only, and registry
// steps only in the keys an install run writes.
#include <gtest/gtest.h>

#include <string>

#include "core/log/journal.h"
#include "core/log/journal_judge.h"
#include "core/text/dbcs.h"

namespace {

std::string Hex(const std::string &text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

JournalStepVerdict Judge(const std::string &line, const char *entry = "CKFA")
{
    JournalScope scope;
    EXPECT_TRUE(FormJournalScope(&scope, entry));
    JournalStep step;
    EXPECT_TRUE(ParseJournalStep(line.c_str(), &step)) << line;
    return JudgeJournalStep(&step, &scope);
}

}  // namespace

TEST(JournalFingerprint, ReadsBackAndRefusesWhatItCannotHold)
{
    JournalStep step;
    const char line[] = "file ~st0001F,1234,01D9ABCDEF012345 C:\\a b\\c.txt";
    ASSERT_TRUE(ParseJournalStep(line, &step));
    EXPECT_TRUE(step.printed);
    EXPECT_EQ(1234u, step.fileSize);
    EXPECT_EQ(0x01D9ABCDEF012345ull, step.writeTime);
    EXPECT_STREQ("C:\\a b\\c.txt", step.path);
    char text[JOURNAL_LINE_SIZE];
    ASSERT_GT(FormatJournalStep(&step, text, sizeof(text)), 0);
    EXPECT_STREQ(line, text);
    // An earlier setup's line has no fingerprint.
    ASSERT_TRUE(ParseJournalStep("replace ~st00001 C:\\a\\b", &step));
    EXPECT_FALSE(step.printed);
    for (const char *bad : {
             "file ~st00001,12 C:\\a",                      // no time
             "file ~st00001,,01D9ABCDEF012345 C:\\a",       // no size
             "file ~st00001,012,01D9ABCDEF012345 C:\\a",    // leading zero
             "file ~st00001,1,01d9abcdef012345 C:\\a",      // lower case
             "file ~st00001,1,01D9ABCDEF01234 C:\\a",       // 15 digits
             "file ~st00001,18446744073709551616,0000000000000000 C:\\a",
             "file ~st00001,1,0000000000000000,5 C:\\a",
         })
        EXPECT_FALSE(ParseJournalStep(bad, &step)) << bad;
}

// One row per line an install run never writes, and the ones it does.
TEST(JournalJudge, OnlyTheRunsOwnNamesAndKeysPass)
{
    const std::string entry =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CKFA";
    struct Row {
        std::string line;
        JournalStepVerdict verdict;
    } rows[] = {
        {"file ~st00001,1,0000000000000001 C:\\App\\a.txt", JOURNAL_STEP_ALLOWED},
        {"replace ~st000AF C:\\WINDOWS\\SYSTEM32\\NETLNK32.DLL", JOURNAL_STEP_ALLOWED},
        {"replace victim C:\\Other\\data.dat", JOURNAL_STEP_BAD_TAG},
        {"replace ~st0000a C:\\Other\\data.dat", JOURNAL_STEP_BAD_TAG},
        {"replace ~st00001 C:\\App\\..\\Other\\data.dat", JOURNAL_STEP_BAD_PATH},
        {"file ~st00001 app\\a.txt", JOURNAL_STEP_BAD_PATH},
        {"file ~st00001 \\\\server\\share\\a.txt", JOURNAL_STEP_BAD_PATH},
        {"file ~st00001 C:\\App\\con.txt", JOURNAL_STEP_BAD_PATH},
        {"folder C:\\", JOURNAL_STEP_BAD_PATH},
        {"folder C:\\App\\.", JOURNAL_STEP_BAD_PATH},
        {"link C:\\Menu\\Group\\Tool.lnk", JOURNAL_STEP_ALLOWED},
        {"link C:\\Users\\me\\notes.txt", JOURNAL_STEP_NOT_A_SHORTCUT},
        {"value HKLM " + Hex("Software\\Veltrane\\CaptureKit\\FileAgent") +
             " " + Hex("Version") + " - -", JOURNAL_STEP_ALLOWED},
        {"value HKLM " + Hex("SOFTWARE\\VORSTMARK\\NETLNK32") + " " +
             Hex("Version") + " 1 41", JOURNAL_STEP_ALLOWED},
        {"value HKLM " + Hex(entry) + " " + Hex("Publisher") + " - -",
         JOURNAL_STEP_ALLOWED},
        {"key HKLM " + Hex(entry), JOURNAL_STEP_ALLOWED},
        {"key HKLM " + Hex("Software\\Veltrane"), JOURNAL_STEP_ALLOWED},
        {"value HKLM " + Hex("Software\\Veltrane") + " " + Hex("x") + " - -",
         JOURNAL_STEP_OTHER_KEY},
        {"key HKLM " + Hex("Software"), JOURNAL_STEP_OTHER_KEY},
        {"key HKLM " + Hex(entry + "\\Sub"), JOURNAL_STEP_OTHER_KEY},
        {"key HKLM " + Hex("Software\\Microsoft\\Windows\\CurrentVersion\\"
                           "Uninstall\\OtherProduct"), JOURNAL_STEP_OTHER_KEY},
        {"value HKLM " + Hex("Software\\OtherVendor\\Injected") + " " +
             Hex("Run") + " 1 " + Hex("evil.exe"), JOURNAL_STEP_OTHER_KEY},
        {"value HKCU " + Hex("Software\\Wine") + " " + Hex("Version") + " - -",
         JOURNAL_STEP_OTHER_ROOT},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.verdict, Judge(row.line)) << row.line;
}

TEST(JournalJudge, TheEntryIsTheLogsOwnSingleKeyName)
{
    JournalScope scope;
    EXPECT_TRUE(FormJournalScope(&scope, ""));
    EXPECT_STREQ("", scope.entryKey);
    EXPECT_FALSE(FormJournalScope(&scope, "..\\Other"));
    EXPECT_STREQ("", scope.entryKey);
    EXPECT_FALSE(FormJournalScope(&scope, std::string(32, 'k').c_str()));
    EXPECT_TRUE(FormJournalScope(&scope, std::string(31, 'k').c_str()));
    // A Shift-JIS name whose second byte is a backslash is one name.
    SetDbcsCodePage(932);
    EXPECT_TRUE(FormJournalScope(&scope, "\x83\x5C\x95\x5C"));
    EXPECT_TRUE(IsScopeEntry(&scope, "SOFTWARE\\Microsoft\\Windows\\"
                                     "CurrentVersion\\Uninstall\\\x83\x5C\x95\x5C"));
    EXPECT_FALSE(FormJournalScope(&scope, "\x83"));
    SetDbcsCodePage(0);
}
