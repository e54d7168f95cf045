// The uninstaller's reading of log sections, its path tests, its command
// line and its Program Manager commands.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <memory>
#include <string>

#include "core/text/dbcs.h"
#include "core/log/log_reader.h"
#include "core/progman/progman_remove_commands.h"

namespace {

// A section buffer as GetPrivateProfileSectionA returns it.
std::string Section(std::initializer_list<std::string> lines)
{
    std::string buffer;
    for (const std::string &line : lines)
        buffer += line + '\0';
    return buffer + '\0';
}

// A list that gives its memory back.
struct OwnedList : LogValueList {
    OwnedList() : LogValueList() {}
    ~OwnedList() { FreeLogValues(this); }
};

std::unique_ptr<OwnedList> Collect(const std::string &section, LogList which)
{
    std::unique_ptr<OwnedList> list(new OwnedList);
    CollectNumberedValues(section.data(), section.size(), which, list.get());
    return list;
}

}  // namespace

TEST(UninstallLogReader, TakesEveryNumberedKeyAcrossGapsFirstOfTwinsWins)
{
    auto list = Collect(Section({"FILE00=C:\\a", "FILE02=C:\\gap",
                                 "file4160=C:\\high", "FILE00=C:\\twin",
                                 "FILE40959=C:\\higher",
                                 "file40959=C:\\twin of higher",
                                 "FILE01=", "FILE007=C:\\not a key",
                                 "FILEX=C:\\x", "PATH00=C:\\folder",
                                 "REGPATH00=Software\\V", "no equals"}),
                        LOG_FILES);
    ASSERT_EQ(4, list->count);
    EXPECT_STREQ("C:\\a", list->values[0]);
    EXPECT_STREQ("C:\\gap", list->values[1]);
    EXPECT_STREQ("C:\\high", list->values[2]);
    EXPECT_STREQ("C:\\higher", list->values[3]);
    EXPECT_EQ(0, list->refused);
    // REGPATH keys are not PATH keys.
    auto paths = Collect(Section({"REGPATH00=Software\\V", "PATH00=C:\\f"}),
                         LOG_PATHS);
    ASSERT_EQ(1, paths->count);
    EXPECT_STREQ("C:\\f", paths->values[0]);
}

TEST(UninstallLogReader, ValuesThatCannotBePathsAreRefusedAtTheLimit)
{
    std::string fits = "C:\\" + std::string(PATH_SIZE - 4, 'a');
    std::string over = fits + "b";
    auto list = Collect(Section({"FILE00=" + fits, "FILE01=" + over,
                                 "FILE02=\"C:\\quoted\"",
                                 std::string("FILE03=C:\\tab\there")}),
                        LOG_FILES);
    ASSERT_EQ(1, list->count);
    EXPECT_EQ(fits, list->values[0]);
    EXPECT_EQ(3, list->refused);
}

TEST(UninstallLogReader, ABufferWithoutItsFinalNulsIsReadOnlyToItsSize)
{
    // The last line, cut off before its NUL, may be cut: it is not taken.
    const char bytes[] = "FILE00=C:\\a\0FILE01=C:\\b";
    std::unique_ptr<char[]> exact(new char[sizeof(bytes) - 1]);
    memcpy(exact.get(), bytes, sizeof(bytes) - 1);
    OwnedList list;
    EXPECT_EQ(1, CollectNumberedValues(exact.get(), sizeof(bytes) - 1,
                                       LOG_FILES, &list));
    EXPECT_STREQ("C:\\a", list.values[0]);
}

TEST(UninstallLogReader, AListHoldsItsCapacityAndCountsTheRestAsDropped)
{
    // A hostile log may number its keys far past what an install writes.
    for (int listed : {UNINSTALL_LIST_CAPACITY, UNINSTALL_LIST_CAPACITY + 1}) {
        SCOPED_TRACE(listed);
        std::string section;
        for (int i = 0; i < listed; i++) {
            char key[LOG_KEY_SIZE];
            FormatLogKey(key, sizeof(key), LOG_FILES, i);
            section += std::string(key) + "=C:\\f" + std::to_string(i) + '\0';
        }
        auto list = Collect(section + '\0', LOG_FILES);
        EXPECT_EQ(UNINSTALL_LIST_CAPACITY, list->count);
        EXPECT_EQ(listed - UNINSTALL_LIST_CAPACITY, list->dropped);
        EXPECT_STREQ("C:\\f4095", list->values[UNINSTALL_LIST_CAPACITY - 1]);
        EXPECT_FALSE(AppendLogValue(list.get(), "C:\\more"));
    }
}

TEST(UninstallLogReader, FoldersAreSortedDeepestFirst)
{
    auto list = Collect(Section({"PATH00=C:\\a", "PATH01=C:\\a\\b\\c",
                                 "PATH02=C:\\a\\b", "PATH03=C:\\z\\y"}),
                        LOG_PATHS);
    SortDeepestFirst(list.get());
    EXPECT_STREQ("C:\\a\\b\\c", list->values[0]);
    EXPECT_STREQ("C:\\a\\b", list->values[1]);
    EXPECT_STREQ("C:\\z\\y", list->values[2]);
    EXPECT_STREQ("C:\\a", list->values[3]);
}

TEST(UninstallPaths, OnlyPlainLocalPathsBelowADriveRootAreRemovable)
{
    EXPECT_TRUE(IsRemovablePath("C:\\Program Files\\X"));
    EXPECT_FALSE(IsRemovablePath("C:\\"));
    EXPECT_FALSE(IsRemovablePath("C:"));
    EXPECT_FALSE(IsRemovablePath("\\\\server\\share\\x"));
    EXPECT_FALSE(IsRemovablePath("relative\\x"));
    EXPECT_FALSE(IsRemovablePath("C:\\a\\..\\windows"));
    EXPECT_FALSE(IsRemovablePath("C:\\a\\\\b"));
    EXPECT_TRUE(IsRemovablePath("C:\\a\\..b"));
    // Windows drops a trailing dot or blank and reads '/' as a separator:
    // each would get a protected folder past a comparison of text.
    for (const char *path :
         {"C:\\Programs\\Startup.", "C:\\Programs\\Startup ",
          "C:\\Acme/../Windows", "C:\\a/b", "C:\\a.\\b", "C:\\a \\b",
          "C:\\a\\.\\b"})
        EXPECT_FALSE(IsRemovablePath(path)) << path;
    EXPECT_TRUE(IsRemovablePath("C:\\a.b\\c d"));
}

TEST(UninstallSelfDelete, PercentsAreDoubledAndTheBatchIsBounded)
{
    SetDbcsCodePage(932);
    char script[2048];
    // 100%Acme\50%Tools would expand %Acme\50% in a batch file.
    int length = ComposeSelfDeleteBatch(script, sizeof(script),
                                        "C:\\100%Acme\\50%Tools\\\x83\x5C.exe",
                                        "C:\\T&(x)\\uni1.bat");
    ASSERT_EQ((int)strlen(script), length);
    std::string text = script;
    EXPECT_NE(std::string::npos,
              text.find("del \"C:\\100%%Acme\\50%%Tools\\\x83\x5C.exe\""))
        << text;
    EXPECT_NE(std::string::npos, text.find("if %tries% geq 60 goto done"))
        << text;
    EXPECT_NE(std::string::npos, text.find("ping -n 2 127.0.0.1")) << text;
    EXPECT_NE(std::string::npos, text.find("del \"C:\\T&(x)\\uni1.bat\""));
    EXPECT_EQ(-1, ComposeSelfDeleteBatch(script, 64, "C:\\a.exe", "C:\\b"));
    EXPECT_STREQ("", script);
    SetDbcsCodePage(0);
}

TEST(UninstallPaths, ShiftJisTrailBackslashesAreNoSeparators)
{
    SetDbcsCodePage(932);
    // ソ (0x83 0x5C) and 表 (0x95 0x5C): one component each.
    EXPECT_EQ(2, PathDepth("C:\\\x83\x5C\\\x95\x5C"));
    EXPECT_TRUE(IsRemovablePath("C:\\\x83\x5C"));
    EXPECT_TRUE(SamePath("C:\\\x83\x5C\\", "c:\\\x83\x5C"));
    // The trail byte is no letter: 0x83 0x5C differs from 0x83 0x7C.
    EXPECT_FALSE(SamePath("C:\\\x83\x5C", "C:\\\x83\x7C"));
    EXPECT_TRUE(IsInsideFolder("C:\\\x83\x5C\\a", "c:\\\x83\x5C\\", NULL));
    EXPECT_FALSE(IsInsideFolder("C:\\\x83\x5C", "C:\\\x83", NULL));
    EXPECT_FALSE(IsInsideFolder("C:\\ab", "C:\\a", NULL));
    EXPECT_FALSE(IsInsideFolder("C:\\a", "C:\\a", NULL));
    EXPECT_FALSE(IsInsideFolder("C:\\", "C:\\", NULL));
    EXPECT_FALSE(IsInsideFolder("C:\\a\\", "C:\\a", NULL));
    char group[PATH_SIZE], title[PATH_SIZE];
    ASSERT_TRUE(SplitShortcutPath("C:\\P\\\x95\x5C\\\x83\x5C.lnk", "C:\\P",
                                  group, sizeof(group), title, sizeof(title)));
    EXPECT_STREQ("\x95\x5C", group);
    EXPECT_STREQ("\x83\x5C", title);
    SetDbcsCodePage(0);
}

TEST(UninstallCommandLine, SilentFlagAndQuotedOrPlainLog)
{
    bool silent;
    char log[PATH_SIZE];
    EXPECT_EQ(1, ParseUninstallCommandLine("-s C:\\windows\\a b.log", &silent,
                                           log, sizeof(log)));
    EXPECT_TRUE(silent);
    EXPECT_STREQ("C:\\windows\\a b.log", log);
    EXPECT_EQ(1, ParseUninstallCommandLine(" \"C:\\x.log\" ", &silent, log,
                                           sizeof(log)));
    EXPECT_FALSE(silent);
    EXPECT_STREQ("C:\\x.log", log);
    EXPECT_EQ(0, ParseUninstallCommandLine("-s", &silent, log, sizeof(log)));
    EXPECT_EQ(0, ParseUninstallCommandLine("-x C:\\a", &silent, log,
                                           sizeof(log)));
    EXPECT_EQ(0, ParseUninstallCommandLine("\"C:\\a", &silent, log,
                                           sizeof(log)));
    std::string fits(PATH_SIZE - 1, 'a');
    EXPECT_EQ(1, ParseUninstallCommandLine(fits.c_str(), &silent, log,
                                           sizeof(log)));
    EXPECT_EQ(0, ParseUninstallCommandLine((fits + "b").c_str(), &silent, log,
                                           sizeof(log)));
}

TEST(UninstallProgmanCommands, DeleteCommandsQuoteNamesAndRefuseQuotes)
{
    char command[64];
    EXPECT_EQ(48, ComposeDeleteItemCommand(command, sizeof(command), "G",
                                           "Read (me), now"));
    EXPECT_STREQ("[ShowGroup(\"G\",1)][DeleteItem(\"Read (me), now\")]",
                 command);
    EXPECT_EQ(-1, ComposeDeleteItemCommand(command, sizeof(command), "G",
                                           "a\"b"));
    EXPECT_STREQ("", command);
    EXPECT_EQ(-1, ComposeDeleteItemCommand(command, 20, "G", "T"));
    EXPECT_EQ(18, ComposeDeleteGroupCommand(command, sizeof(command), "G"));
    char group[8], title[8];
    EXPECT_FALSE(SplitShortcutPath("C:\\P\\G\\a.txt", "C:\\P", group,
                                   sizeof(group), title, sizeof(title)));
    EXPECT_FALSE(SplitShortcutPath("a.lnk", "C:\\P", group, sizeof(group),
                                   title, sizeof(title)));
    EXPECT_FALSE(SplitShortcutPath("C:\\P\\G\\12345678.lnk", "C:\\P", group,
                                   sizeof(group), title, sizeof(title)));
    EXPECT_TRUE(SplitShortcutPath("c:\\p\\G\\1234567.LNK", "C:\\P\\", group,
                                  sizeof(group), title, sizeof(title)));
    EXPECT_STREQ("G", group);
    // A nested group is named whole, never as its last folder (another
    // program's top-level group); outside Programs there is no group.
    char nested[16];
    EXPECT_TRUE(SplitShortcutPath("C:\\P\\Acme\\Tools\\T.lnk", "C:\\P", nested,
                                  sizeof(nested), title, sizeof(title)));
    EXPECT_STREQ("Acme\\Tools", nested);
    EXPECT_FALSE(SplitShortcutPath("C:\\x\\Accessories\\a.lnk", "C:\\P", group,
                                   sizeof(group), title, sizeof(title)));
    EXPECT_FALSE(SplitShortcutPath("C:\\P\\a.lnk", "C:\\P", group,
                                   sizeof(group), title, sizeof(title)));
    EXPECT_FALSE(SplitShortcutPath("C:\\PP\\G\\a.lnk", "C:\\P", group,
                                   sizeof(group), title, sizeof(title)));
}

namespace {

// The values of one section of an INI file's text, fed to the scanner in
// pieces of the given size.
std::unique_ptr<OwnedList> ScanFile(const std::string &text,
                                    const char *section, size_t piece)
{
    std::unique_ptr<OwnedList> list(new OwnedList);
    NumberedCollector collector;
    StartCollecting(&collector, LOG_FILES, list.get());
    SectionScanner scanner;
    EXPECT_TRUE(StartSectionScan(
        &scanner, section,
        [](void *context, const SectionEntry *entry) {
            CollectEntry((NumberedCollector *)context, entry);
        },
        &collector));
    for (size_t at = 0; at < text.size(); at += piece)
        ScanSectionBytes(&scanner, text.data() + at,
                         std::min(piece, text.size() - at));
    FinishSectionScan(&scanner);
    FinishCollecting(&collector);
    return list;
}

}  // namespace

TEST(UninstallLogReader, AFileReadInPiecesGivesWhatTheProfileServiceGives)
{
    std::string fits = "C:\\" + std::string(PATH_SIZE - 4, 'a');
    std::string text =
        "[Files_File]\r\nFILE00 = C:\\spaced value \t\r\n"
        "[Other]\nFILE01=C:\\other section\n"
        "  [files_file]  \nFILE02=" + fits + "\nFILE03=" + fits + "b\n"
        "FILE" + std::string(40, '9') + "=C:\\key too long\n"
        "FILE04=C:\\tab\there\nno equals\nFILE00=C:\\twin\n"
        "[Files_File\nFILE05=C:\\\x83\x5C\\x\n"   // ソ: a 0x5C trail byte
        "FILE4096=C:\\last line";
    for (size_t piece : {(size_t)1, (size_t)7, text.size()}) {
        SCOPED_TRACE(piece);
        auto list = ScanFile(text, "Files_File", piece);
        ASSERT_EQ(4, list->count);
        EXPECT_STREQ("C:\\spaced value", list->values[0]);
        EXPECT_EQ(fits, list->values[1]);
        EXPECT_STREQ("C:\\\x83\x5C\\x", list->values[2]);
        EXPECT_STREQ("C:\\last line", list->values[3]);
        // One past the path's size, the 40-digit key and the tab.
        EXPECT_EQ(3, list->refused);
    }
}

TEST(UninstallLogReader, HighKeyTwinsAreToldApartAtAnyCount)
{
    // More high keys than a list holds, each written twice: the first of
    // each counts, the twins are no work left.
    std::string section;
    const int keys = UNINSTALL_LIST_CAPACITY + 10;
    for (int twice = 0; twice < 2; twice++)
        for (int i = 0; i < keys; i++)
            section += "FILE" + std::to_string(5000 + i) + "=C:\\f" +
                       std::to_string(twice) + '\0';
    auto list = Collect(section + '\0', LOG_FILES);
    EXPECT_EQ(UNINSTALL_LIST_CAPACITY, list->count);
    EXPECT_EQ(10, list->dropped);
    EXPECT_STREQ("C:\\f0", list->values[list->count - 1]);
}
