// The one shortcut rule: an "Icon%03d" entry either becomes a whole target
// and link, or no shortcut at all; a value, target or link one character
// past its room is refused, never cut.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/script/folder_macros.h"
#include "core/script/shortcut_rule.h"

namespace {

const std::string kSo = "\x83\x5C";    // ソ: second byte 0x5C
const std::string kHyo = "\x95\x5C";   // 表

bool Expand(void *, char *expanded, size_t size, const char *field)
{
    static const std::string kLongSystemDir = "C:\\" + std::string(200, 's');
    FolderMacroValues values = {kLongSystemDir.c_str(), "C:\\WIN", "jpn",
                                "C:\\SU"};
    return ReplaceFolderMacros(expanded, size, field, &values, 932);
}

class ShortcutRule : public testing::Test {
protected:
    ShortcutVerdict Resolve(const std::string &value,
                            const char *linkFolder = "C:\\P\\G")
    {
        ShortcutPlace place = {destination_.c_str(), linkFolder, Expand,
                               NULL, 932};
        return ResolveShortcut(value.c_str(), &place, &shortcut_);
    }

    std::string destination_ = "C:\\Dest";
    ResolvedShortcut shortcut_;
};

}  // namespace

TEST_F(ShortcutRule, EntryFitsAtTheLimitAndIsRefusedWholeOnePast)
{
    // "T;" and a file: 255 characters are an entry, 256 are not.
    destination_ = "C:";
    std::string file(SHORTCUT_ENTRY_SIZE - 1 - 2, 'f');
    ASSERT_EQ(SHORTCUT_MADE, Resolve("T;" + file));
    EXPECT_EQ("C:\\" + file, std::string(shortcut_.target));
    EXPECT_EQ(SHORTCUT_ENTRY_TOO_LONG, Resolve("T;" + file + "f"));
    EXPECT_STREQ("T", shortcut_.title);   // named whole
    EXPECT_STREQ("", shortcut_.target);
    EXPECT_STREQ("", shortcut_.link);
    // A title the read may have cut is not used as a name.
    EXPECT_EQ(SHORTCUT_ENTRY_TOO_LONG,
              Resolve(std::string(SHORTCUT_ENTRY_SIZE, 't')));
    EXPECT_STREQ("", shortcut_.title);
}

TEST_F(ShortcutRule, TargetAndLinkFitAtTheLimitAndNotOnePast)
{
    // destination, backslash, file: 259 characters.
    destination_ = "C:\\" + std::string(150, 'd');
    std::string file(PATH_SIZE - 1 - destination_.size() - 1, 'f');
    ASSERT_EQ(SHORTCUT_MADE, Resolve("T;" + file));
    EXPECT_EQ(destination_ + "\\" + file, std::string(shortcut_.target));
    EXPECT_EQ(SHORTCUT_TARGET_TOO_LONG, Resolve("T;" + file + "f"));
    EXPECT_STREQ("", shortcut_.target);

    // link folder, backslash, title, ".lnk": 259 characters.
    std::string linkFolder = "C:\\" + std::string(100, 'g');
    std::string title(PATH_SIZE - 1 - linkFolder.size() - 1 - 4, 't');
    ASSERT_EQ(SHORTCUT_MADE, Resolve(title + ";a.exe", linkFolder.c_str()));
    EXPECT_EQ(linkFolder + "\\" + title + ".lnk",
              std::string(shortcut_.link));
    EXPECT_EQ(SHORTCUT_LINK_TOO_LONG,
              Resolve(title + "t;a.exe", linkFolder.c_str()));
    EXPECT_STREQ("", shortcut_.link);
    // Without a known link folder only the target is judged.
    EXPECT_EQ(SHORTCUT_MADE, Resolve(title + "t;a.exe", NULL));
}

TEST_F(ShortcutRule, SecondByteBackslashIsNoSeparator)
{
    // A folder ending in ソ gets its backslash; the title's 表 stays whole.
    destination_ = "C:\\" + kSo;
    ASSERT_EQ(SHORTCUT_MADE, Resolve(kHyo + ";" + kSo + ".exe",
                                     ("C:\\G" + kSo).c_str()));
    EXPECT_EQ("C:\\" + kSo + "\\" + kSo + ".exe",
              std::string(shortcut_.target));
    EXPECT_EQ("C:\\G" + kSo + "\\" + kHyo + ".lnk",
              std::string(shortcut_.link));
    EXPECT_TRUE(IsLinkFilePath(shortcut_.link));
}

TEST_F(ShortcutRule, EntriesNoShortcutCanBeMadeOf)
{
    EXPECT_EQ(SHORTCUT_NO_FILE, Resolve("OnlyTitle"));
    EXPECT_EQ(SHORTCUT_NO_FILE, Resolve(";;;"));
    EXPECT_EQ(SHORTCUT_NO_FILE, Resolve("Folder;\\"));
    EXPECT_EQ(SHORTCUT_NOT_CARRIED, Resolve("Say \"hi\";a.exe"));
    EXPECT_EQ(SHORTCUT_NOT_CARRIED, Resolve("A;a.exe;C:\\;-x (1)"));
    EXPECT_EQ(SHORTCUT_BAD_LINK, Resolve("..\\Up;u.exe"));
    EXPECT_STREQ("the title leads out of the group",
                 DescribeShortcutVerdict(SHORTCUT_BAD_LINK,
                                         shortcut_.linkVerdict));
    EXPECT_EQ(SHORTCUT_BAD_LINK, Resolve("Bad?Name;b.exe"));
    // A macro whose folder does not fit is no folder, not a cut one.
    EXPECT_EQ(SHORTCUT_TARGET_TOO_LONG,
              Resolve("T;f.exe;@SYSTEMDIR\\" + std::string(60, 'd')));
    EXPECT_EQ(SHORTCUT_MADE, Resolve("Help;help.exe;@LANGDIR;-h 1"));
    EXPECT_STREQ("jpn\\help.exe", shortcut_.target);
    EXPECT_STREQ("-h 1", shortcut_.arguments);
}

TEST(LinkFilePath, OnlyANameEndingInLnk)
{
    EXPECT_TRUE(IsLinkFilePath("C:\\G\\Tool.LNK"));
    EXPECT_FALSE(IsLinkFilePath(".lnk"));
    EXPECT_FALSE(IsLinkFilePath("C:\\G\\Tool.lnk.txt"));
    EXPECT_FALSE(IsLinkFilePath(""));
}
