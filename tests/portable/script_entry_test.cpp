// Splitting of install-script entries into their fields.
#include <gtest/gtest.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/script/script_entry.h"

TEST(FileEntry, SplitsNameSourceAndDestination)
{
    FileEntry entry;
    SplitFileEntry("bin\\tool.exe;\\disk1;\\bin", &entry);
    EXPECT_EQ(3, entry.fieldCount);
    EXPECT_FALSE(entry.tooLong);
    EXPECT_STREQ("bin\\tool.exe", entry.fileName);
    EXPECT_STREQ("\\disk1", entry.sourceFolder);
    EXPECT_STREQ("\\bin", entry.destinationFolder);

    SplitFileEntry("readme.txt", &entry);
    EXPECT_EQ(1, entry.fieldCount);
    EXPECT_STREQ("readme.txt", entry.fileName);
    EXPECT_STREQ("", entry.sourceFolder);
    EXPECT_STREQ("", entry.destinationFolder);
}

TEST(FileEntry, EmptyFieldsCollapseAndExtraFieldsAreIgnored)
{
    FileEntry entry;
    // The second field written empty: the destination moves up into it.
    SplitFileEntry(";;a.dll;;@SYSTEMDIR;x;y", &entry);
    EXPECT_EQ(3, entry.fieldCount);
    EXPECT_STREQ("a.dll", entry.fileName);
    EXPECT_STREQ("@SYSTEMDIR", entry.sourceFolder);
    EXPECT_STREQ("x", entry.destinationFolder);

    SplitFileEntry(";;;", &entry);
    EXPECT_EQ(0, entry.fieldCount);
    EXPECT_STREQ("", entry.fileName);
    SplitFileEntry("", &entry);
    EXPECT_EQ(0, entry.fieldCount);
}

TEST(FileEntry, OverlongFieldIsMarkedNotCut)
{
    FileEntry entry;
    std::string name(259, 'n');
    SplitFileEntry((name + ";src").c_str(), &entry);
    EXPECT_FALSE(entry.tooLong);
    EXPECT_EQ(name, entry.fileName);

    std::string tooLong(260, 'n');
    SplitFileEntry((tooLong + ";src;" + tooLong).c_str(), &entry);
    EXPECT_TRUE(entry.tooLong);
    EXPECT_STREQ("", entry.fileName);
    EXPECT_STREQ("src", entry.sourceFolder);
    EXPECT_STREQ("", entry.destinationFolder);

    // Far longer than any entry the script reader delivers.
    std::string huge(5000, 'h');
    SplitFileEntry(huge.c_str(), &entry);
    EXPECT_TRUE(entry.tooLong);
    EXPECT_STREQ("", entry.fileName);
}

TEST(ShortcutEntry, SplitsUpToFourFields)
{
    ShortcutEntry entry;
    SplitShortcutEntry("Tool;tool.exe;@LANGDIR;-a -b;ignored", &entry);
    EXPECT_EQ(4, entry.fieldCount);
    EXPECT_STREQ("Tool", entry.title);
    EXPECT_STREQ("tool.exe", entry.file);
    EXPECT_STREQ("@LANGDIR", entry.folder);
    EXPECT_STREQ("-a -b", entry.arguments);

    // T;F;;A: the empty field collapses, so A is the folder.
    SplitShortcutEntry("T;F;;A", &entry);
    EXPECT_EQ(3, entry.fieldCount);
    EXPECT_STREQ("A", entry.folder);
    EXPECT_STREQ("", entry.arguments);

    SplitShortcutEntry("OnlyTitle", &entry);
    EXPECT_EQ(1, entry.fieldCount);
    EXPECT_STREQ("", entry.file);
}

TEST(ShortcutEntry, ShiftJisTrailByteIsNoSeparator)
{
    SetDbcsCodePage(932);
    ShortcutEntry entry;
    // "ソ" (0x83 0x5C) and a semicolon-free second byte stay one field.
    SplitShortcutEntry("\x83\x5C\x95\x5C;\x83\x5C.exe;C:\\\x95\x5C", &entry);
    SetDbcsCodePage(0);
    EXPECT_EQ(3, entry.fieldCount);
    EXPECT_STREQ("\x83\x5C\x95\x5C", entry.title);
    EXPECT_STREQ("\x83\x5C.exe", entry.file);
    EXPECT_STREQ("C:\\\x95\x5C", entry.folder);
}
