// The install journal's lines, its section listing and the restart-rename
// filters, as the rollback reads them back from a log that may be damaged.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/log/journal.h"
#include "core/text/dbcs.h"

namespace {

JournalStep Parsed(const char *line)
{
    JournalStep step;
    EXPECT_TRUE(ParseJournalStep(line, &step)) << line;
    return step;
}

std::string Formatted(const JournalStep &step)
{
    char line[JOURNAL_LINE_SIZE];
    EXPECT_GT(FormatJournalStep(&step, line, sizeof(line)), 0);
    return line;
}

}  // namespace

TEST(Journal, EveryKindReadsBackAsWritten)
{
    const char *lines[] = {
        "file ~st00001 C:\\Program Files\\Veltrane\\a b.dll",
        "replace ~st0000A C:\\WINDOWS\\SYSTEM\\NETLNK32.DLL",
        "folder C:\\Program Files\\Veltrane",
        "link C:\\Menu\\Programs\\Group\\Tool.lnk",
        "key HKLM 536F6674776172655C56",
        "value HKCU 536F667477617265 - 1 4100",
        "value HKLM 536F667477617265 56 - -",
        "value HKLM 536F667477617265 56 4 -",
    };
    for (const char *line : lines)
        EXPECT_EQ(line, Formatted(Parsed(line)));
    JournalStep value = Parsed("value HKCU 536F667477617265 - 1 4100");
    EXPECT_EQ(ROOT_CURRENT_USER, value.root);
    EXPECT_STREQ("Software", value.key);
    EXPECT_STREQ("", value.valueName);
    EXPECT_FALSE(value.absent);
    EXPECT_EQ(2u, value.dataSize);
    EXPECT_EQ('A', value.data[0]);
    EXPECT_TRUE(Parsed("value HKLM 536F667477617265 56 - -").absent);
    EXPECT_EQ(0u, Parsed("value HKLM 536F667477617265 56 4 -").dataSize);
}

TEST(Journal, ShiftJisPathsWithBackslashAndBarTrailBytesStayWhole)
{
    SetDbcsCodePage(932);
    // ソ (83 5C), 表 (95 5C), ポ (83 7C, the bar as trail byte) and a
    // blank.
    const char path[] = "C:\\\x83\x5C\x83\x7C\\\x95\x5C a.dll";
    std::string line = std::string("replace ~st00002 ") + path;
    JournalStep step = Parsed(line.c_str());
    EXPECT_STREQ(path, step.path);
    EXPECT_STREQ("~st00002", step.tag);
    SetDbcsCodePage(0);
}

TEST(Journal, DamagedLinesAreRefused)
{
    const char *lines[] = {
        "", "file", "file ~st1", "file ~st1 ", "remove ~st1 C:\\a",
        "file ../x C:\\a", "file ~st000001 C:\\a",   // tag of 9 characters
        "key HKCR 41", "key HKLM", "key HKLM 4", "key HKLM 4G",
        "key HKLM 41 ", "key HKLM 0041",  // a NUL inside the key
        "value HKLM 41 42 1", "value HKLM 41 42 x 00",
        "value HKLM 41 42 4294967296 00", "value HKLM 41 42 - 00",
        "value HKLM 41 42 1 00 ", "value HKLM - 42 1 00",
    };
    JournalStep step;
    for (const char *line : lines)
        EXPECT_FALSE(ParseJournalStep(line, &step)) << line;
}

TEST(Journal, FieldsAtTheirLimitFitAndOnePastDoNot)
{
    std::string path(PATH_SIZE - 1, 'p');
    path[0] = 'C';
    JournalStep step = Parsed(("folder " + path).c_str());
    EXPECT_EQ(path, step.path);
    JournalStep refused;
    EXPECT_FALSE(ParseJournalStep(("folder " + path + "p").c_str(), &refused));

    std::string data(2 * JOURNAL_DATA_SIZE, 'A');
    std::string value = "value HKLM 41 42 3 " + data;
    EXPECT_EQ(size_t(JOURNAL_DATA_SIZE),
              Parsed(value.c_str()).dataSize);
    EXPECT_FALSE(ParseJournalStep((value + "AA").c_str(), &refused));

    // The longest line fits the line buffer; a smaller buffer stays empty.
    memset(&step, 0, sizeof(step));
    step.kind = STEP_VALUE;
    memset(step.key, 'k', sizeof(step.key) - 1);
    memset(step.valueName, 'n', sizeof(step.valueName) - 1);
    step.type = 0xFFFFFFFFul;
    step.dataSize = sizeof(step.data);
    char line[JOURNAL_LINE_SIZE];
    int length = FormatJournalStep(&step, line, sizeof(line));
    ASSERT_GT(length, 0);
    char small[JOURNAL_LINE_SIZE];
    memset(small, '#', sizeof(small));
    EXPECT_EQ(-1, FormatJournalStep(&step, small, (size_t)length));
    EXPECT_STREQ("", small);
    EXPECT_EQ('#', small[length]);
}

TEST(Journal, SectionValuesInFileOrderAndNothingPastTheBuffer)
{
    const char section[] = "1=file ~st1 C:\\a\0noequals\0" "2=folder C:\\b\0\0";
    const char *values[4];
    ASSERT_EQ(2, ListSectionValues(section, sizeof(section), values, 4));
    EXPECT_STREQ("file ~st1 C:\\a", values[0]);
    EXPECT_STREQ("folder C:\\b", values[1]);
    EXPECT_EQ(1, ListSectionValues(section, sizeof(section), values, 1));
    // Cut inside the second line: only the whole first one counts.
    EXPECT_EQ(1, ListSectionValues(section, 30, values, 4));

    char name[LOG_SECTION_SIZE];
    EXPECT_EQ(13, FormatJournalSectionName(name, sizeof(name), 1));
    EXPECT_STREQ("Transaction.1", name);
    EXPECT_EQ(-1, FormatJournalSectionName(name, 13, 1));
    EXPECT_EQ(-1, FormatJournalSectionName(name, sizeof(name), 0));

    EXPECT_EQ(TRANSACTION_IN_PROGRESS, ParseTransactionState("in progress"));
    EXPECT_EQ(TRANSACTION_COMPLETE, ParseTransactionState("complete"));
    EXPECT_EQ(TRANSACTION_NONE, ParseTransactionState(""));
    EXPECT_EQ(TRANSACTION_UNKNOWN, ParseTransactionState("In Progress "));
}

// Appended entries as a section read gives them back: a run cut off while
// it appended leaves a last entry cut short or overwritten, which its check
// refuses; an older setup's plain keys still read.
TEST(Journal, AppendedEntriesPassTheirCheckAndCutOrDamagedOnesDoNot)
{
    const char *path = "file ~st00001 C:\\\x83\x5C\\a.txt";   // a path with ソ
    char entry[JOURNAL_LINE_SIZE + 32];
    int length = FormatJournalEntry(entry, sizeof(entry), 12, path);
    ASSERT_GT(length, 0);
    ASSERT_EQ(std::string("\r\n"), std::string(entry + length - 2));
    // As a section read gives it: no line end, a NUL, trailing blanks gone.
    std::string whole(entry, (size_t)length - 2);
    EXPECT_EQ(0u, whole.find("12:"));
    std::string section = whole + '\0' + "3=folder C:\\old" + '\0' +
                          whole.substr(0, whole.size() - 3) + '\0';
    std::string damaged = whole;
    damaged[damaged.size() - 5] ^= 1;
    section += damaged + '\0' + whole.substr(0, whole.find('=')) + '\0' + '\0';
    const char *values[8];
    ASSERT_EQ(2, ListSectionValues(section.data(), section.size(), values, 8));
    EXPECT_STREQ(path, values[0]);
    EXPECT_STREQ("folder C:\\old", values[1]);

    // A line that ends in a blank keeps its check when a reader trims it.
    length = FormatJournalEntry(entry, sizeof(entry), 1, "folder C:\\x ");
    std::string trimmed(entry, (size_t)length - 3);
    trimmed += '\0';
    EXPECT_EQ(1, ListSectionValues(trimmed.data(), trimmed.size() + 1, values, 8));

    // Exactly the buffer, then one byte short.
    length = FormatJournalEntry(entry, sizeof(entry), 7, "folder C:\\y");
    char exact[64];
    memset(exact, '#', sizeof(exact));
    EXPECT_EQ(length, FormatJournalEntry(exact, (size_t)length + 1, 7,
                                         "folder C:\\y"));
    EXPECT_EQ(-1, FormatJournalEntry(exact, (size_t)length, 7, "folder C:\\y"));
    EXPECT_STREQ("", exact);
}

TEST(Journal, RestartRenamesOfOneSourceGoAndTheOthersStay)
{
    // Source, then "!"-target (replace) or "" (delete).
    const char pending[] =
        "\\??\\C:\\A\\~st00001.tmp\0!\\??\\C:\\A\\b.dll\0"
        "\\??\\C:\\x.old\0\0"
        "\\??\\c:\\a\\~ST00001.TMP\0\0"
        "\0";
    char list[sizeof(pending)];
    memcpy(list, pending, sizeof(list));
    size_t length = DropPendingRenames(list, sizeof(list),
                                       "C:\\A\\~st00001.tmp");
    const char kept[] = "\\??\\C:\\x.old\0\0\0";
    ASSERT_EQ(sizeof(kept), length);
    EXPECT_EQ(0, memcmp(kept, list, length));
    // A list cut inside a pair keeps its tail as it is.
    memcpy(list, pending, sizeof(list));
    EXPECT_EQ(20u, DropPendingRenames(list, 20, "C:\\x.old"));

    char wininit[] = "NUL=C:\\OLD.TXT\0C:\\A\\B.DLL=C:\\A\\~ST00001.TMP\0\0";
    length = DropRenameLines(wininit, sizeof(wininit), "c:\\a\\~st00001.tmp");
    const char left[] = "NUL=C:\\OLD.TXT\0\0";
    ASSERT_EQ(sizeof(left), length);
    EXPECT_EQ(0, memcmp(left, wininit, length));
}
