// The Program Manager client: the list built from a shortcut section, the
// exact command bytes, the shared failure count with resending, the
// warnings and diagnostic boxes, and the release of every DDEML resource.
// Scripted failures go through the DDE seam; one test talks to Wine's own
// Program Manager and reads the shortcut files it made.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "shortcuts/progman_client.h"
#include "tests/install/fake_progman.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"

namespace {

std::string Warning(int code)
{
    return "Failed in icon registration.\nPlease create shortcut icon(s).  "
           "(code=" + std::to_string(code) + ")";
}

const char kWarningTitle[] = "INSTALL SYSTEM INFO.";
const std::string kCreateKit =
    "[CreateGroup(\"Kit\",1)][ShowGroup(\"Kit\",1)]";

class Progman : public testing::Test {
protected:
    void Script(const std::string &sections) { media_.WriteScript(sections); }
    int Register(const char *section = "ShortCut_File")
    {
        return RegisterShortcutSection(section, g_programGroup);
    }
    // Every DDEML resource taken was given back.
    void ExpectReleased()
    {
        EXPECT_EQ(0, fake_.openConversations);
        EXPECT_EQ(fake_.handlesCreated, fake_.handlesFreed);
        EXPECT_EQ(1, fake_.uninitializes);
    }
    std::string Item(const std::string &path, const std::string &arguments,
                     const std::string &title)
    {
        return "[AddItem(\"" + path + "\" " + arguments + ",\"" + title +
               "\")]";
    }

    InstallMedia media_;
    FakeProgman fake_;
    MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(Progman, CommandBytesForEntriesWithAndWithoutFolderAndArguments)
{
    Script("[ShortCut_File]\n"
           "Icon000=Tool;tool.exe\n"
           "Icon001=Help;help.exe;@LANGDIR;-h 1\n"
           "Icon002=T;F;;A\n"
           "Icon003=Doc;\\doc.txt;C:\\Docs\\\n");
    EXPECT_EQ(1, Register());
    std::vector<std::string> expected = {
        kCreateKit,
        Item(media_.Dest("tool.exe"), "", "Tool"),
        Item("jpn\\help.exe", "-h 1", "Help"),
        Item("A\\F", "", "T"),
        Item("C:\\Docs\\doc.txt", "", "Doc"),
    };
    EXPECT_EQ(expected, fake_.commands);
    // Each command goes with its terminating NUL.
    for (size_t i = 0; i < fake_.commands.size(); i++)
        EXPECT_EQ(fake_.commands[i].size() + 1, fake_.lengths[i]) << i;
    EXPECT_TRUE(fake_.started.empty());
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_EQ(1, fake_.disconnects);
    ExpectReleased();
}

TEST_F(Progman, CommonGroupFlagFollowsAllUsers)
{
    Script("[ShortCut_File]\n");
    g_allUsers = 0;
    Register();
    g_allUsers = 7;
    Register();
    ASSERT_EQ(2u, fake_.commands.size());
    EXPECT_EQ("[CreateGroup(\"Kit\",0)][ShowGroup(\"Kit\",1)]",
              fake_.commands[0]);
    EXPECT_EQ(kCreateKit, fake_.commands[1]);
}

TEST_F(Progman, ListEndsAtTheFirstGapAndHoldsAtMost999Entries)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\nIcon001=B;b.exe\n"
           "Icon003=D;d.exe\n");
    Register();
    EXPECT_EQ(3u, fake_.commands.size());

    std::string section = "[ShortCut_Common]\n";
    for (int i = 0; i <= 999; i++) {
        char key[16];
        snprintf(key, sizeof(key), "Icon%03d", i);
        section += std::string(key) + "=T" + std::to_string(i) + ";f.exe\n";
    }
    Script(section);
    fake_.commands.clear();
    Register("ShortCut_Common");
    ASSERT_EQ(1000u, fake_.commands.size());   // the group and 999 items
    EXPECT_EQ(Item(media_.Dest("f.exe"), "", "T998"), fake_.commands.back());
}

TEST_F(Progman, UnusableEntriesAreSkipped)
{
    std::string longFile(258, 'f');
    std::string longTitle(300, 't');
    Script("[ShortCut_File]\n"
           "Icon000=OnlyTitle\n"
           "Icon001=;;;\n"
           "Icon002=Far;" + longFile + "\n"
           "Icon003=" + longTitle + ";x.exe\n"
           "Icon004=Good;good.exe\n");
    Register();
    std::vector<std::string> expected = {
        kCreateKit, Item(media_.Dest("good.exe"), "", "Good")};
    EXPECT_EQ(expected, fake_.commands);
}

TEST_F(Progman, AnEntryThatFillsItsBufferIsRegistered)
{
    // "T;" and a file name: 255 characters fit the entry, 256 do not.
    std::string file(SHORTCUT_ENTRY_SIZE - 1 - 2, 'f');
    Script("[ShortCut_File]\n"
           "Icon000=T;" + file + "\n"
           "Icon001=U;" + file + "f\n");
    g_destinationFolder[0] = 'C';   // a short folder, so the path fits
    g_destinationFolder[1] = ':';
    g_destinationFolder[2] = '\0';
    Register();
    std::vector<std::string> expected = {kCreateKit,
                                         Item("C:\\" + file, "", "T")};
    EXPECT_EQ(expected, fake_.commands);
}

TEST_F(Progman, LinkThatFillsItsPathIsSentAndOnePastIsNamedWhole)
{
    // Programs\Kit\title.lnk: 259 characters fit a path, 260 do not.
    std::string folder = media_.programs() + "\\Kit";
    std::string title(PATH_SIZE - 1 - folder.size() - 1 - 4, 't');
    Script("[ShortCut_File]\n"
           "Icon000=" + title + ";a.exe\n"
           "Icon001=" + title + "u;a.exe\n");
    ShortcutSkips skips = {};
    RegisterShortcutSection("ShortCut_File", g_programGroup, &skips);
    std::vector<std::string> expected = {
        kCreateKit, Item(media_.Dest("a.exe"), "", title)};
    EXPECT_EQ(expected, fake_.commands);
    ASSERT_EQ(1, skips.count);
    EXPECT_EQ(title + "u", std::string(skips.titles[0]));
}

TEST_F(Progman, EntriesNoCommandCanCarryAreNoted)
{
    Script("[ShortCut_File]\n"
           "Icon000=Good;good.exe\n"
           "Icon001=Say \"hi\";a.exe\n"
           "Icon002=Args;b.exe;C:\\;-x (1)\n"
           "Icon003=Brackets;c.exe;C:\\;[x]\n");
    ShortcutSkips skips = {};
    RegisterShortcutSection("ShortCut_File", g_programGroup, &skips);
    EXPECT_EQ(2u, fake_.commands.size());
    ASSERT_EQ(3, skips.count);
    EXPECT_STREQ("Say \"hi\"", skips.titles[0]);
    EXPECT_STREQ("Brackets", skips.titles[2]);
}

TEST_F(Progman, EmptySectionStillCreatesAndShowsTheGroup)
{
    Script("[Other]\nIcon000=A;a.exe\n");
    EXPECT_EQ(1, Register());
    std::vector<std::string> expected = {kCreateKit};
    EXPECT_EQ(expected, fake_.commands);
}

TEST_F(Progman, StartsProgramManagerWhenNotRunningAndClosesItAgain)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.failingConnects = {0};
    Register();
    ASSERT_EQ(1u, fake_.started.size());
    EXPECT_EQ("PROGMAN.EXE", fake_.started[0]);
    EXPECT_EQ((UINT)SW_SHOW, fake_.startShow[0]);
    std::vector<std::string> expected = {
        kCreateKit, Item(media_.Dest("a.exe"), "", "A"), "[ExitProgman(1)]"};
    EXPECT_EQ(expected, fake_.commands);
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_EQ(2, fake_.handlesCreated);
    ExpectReleased();
}

TEST_F(Progman, NoConversationAtAllGivesCode2)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.failingConnects = {0, 1};
    fake_.lastError = DMLERR_NO_CONV_ESTABLISHED;
    EXPECT_EQ(1, Register());
    EXPECT_TRUE(fake_.commands.empty());
    ASSERT_EQ(2u, boxes_.seen().size());
    if (GetACP() == 932) {
        EXPECT_EQ("\x83\x4e\x83\x89\x83\x43\x83\x41\x83\x93\x83\x67\x82\xaa"
                  "\x8a\x6d\x97\xa7\x82\xb5\x82\xe6\x82\xa4\x82\xc6\x82\xb5"
                  "\x82\xbd\x91\xce\x98\x62\x82\xf0\x8a\x6d\x97\xa7\x82\xc5"
                  "\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd"
                  "\x81\x42",
                  boxes_.seen()[0].text);
    }
    EXPECT_EQ(Warning(2), boxes_.seen()[1].text);
    EXPECT_EQ(kWarningTitle, boxes_.seen()[1].caption);
    ExpectReleased();
}

TEST_F(Progman, FailedInitialisationGivesCode1Only)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.initializeResult = DMLERR_SYS_ERROR;
    Register();
    EXPECT_EQ(0, fake_.connects);
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(Warning(1), boxes_.seen()[0].text);
    EXPECT_EQ(kWarningTitle, boxes_.seen()[0].caption);
}

TEST_F(Progman, FourFailuresOverCommandsAreOvercomeByResending)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\nIcon001=B;b.exe\n");
    // CreateGroup fails twice, A once, B once.
    fake_.failingTransactions = {0, 1, 3, 5};
    EXPECT_EQ(1, Register());
    std::string a = Item(media_.Dest("a.exe"), "", "A");
    std::string b = Item(media_.Dest("b.exe"), "", "B");
    std::vector<std::string> expected = {kCreateKit, kCreateKit, kCreateKit,
                                         a, a, b, b};
    EXPECT_EQ(expected, fake_.commands);
    EXPECT_TRUE(boxes_.seen().empty());
    ExpectReleased();
}

TEST_F(Progman, FifthFailureOnTheGroupCommandGivesCode3AndDisconnects)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.failingTransactions = {0, 1, 2, 3, 4};
    Register();
    EXPECT_EQ(5u, fake_.commands.size());
    ASSERT_EQ(2u, boxes_.seen().size());
    EXPECT_EQ(kCreateKit, boxes_.seen()[0].caption);
    EXPECT_EQ(Warning(3), boxes_.seen()[1].text);
    EXPECT_EQ(1, fake_.disconnects);
    ExpectReleased();
}

TEST_F(Progman, FifthFailureOnAnItemGivesCode4AndSendsNothingMore)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\nIcon001=B;b.exe\n");
    fake_.failingConnects = {0};   // started here, yet no closing command
    fake_.failingTransactions = {0, 2, 3, 4, 5};
    Register();
    std::string a = Item(media_.Dest("a.exe"), "", "A");
    std::vector<std::string> expected = {kCreateKit, kCreateKit, a, a, a, a};
    EXPECT_EQ(expected, fake_.commands);
    ASSERT_EQ(2u, boxes_.seen().size());
    EXPECT_EQ("DEBUG information", boxes_.seen()[0].caption);
    EXPECT_EQ(Warning(4), boxes_.seen()[1].text);
    ExpectReleased();
}

TEST_F(Progman, FailedClosingCommandOnlyEndsItsResending)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.failingConnects = {0};
    // Two failures on the group, two on the item, the fifth on the close.
    fake_.failingTransactions = {0, 1, 3, 4, 6};
    Register();
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ("[ExitProgman(1)]", boxes_.seen()[0].caption);
    EXPECT_EQ(1, fake_.disconnects);
    ExpectReleased();
}

TEST_F(Progman, FailedDisconnectNamesTheErrorCount)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    fake_.failingTransactions = {0, 2};
    fake_.disconnectFails = true;
    fake_.lastError = DMLERR_MEMORY_ERROR;
    Register();
    ASSERT_EQ(1u, boxes_.seen().size());
    if (GetACP() == 932) {
        // "3回のエラーが起きたがかろうじて登録出来た"
        EXPECT_EQ("\x33\x89\xf1\x82\xcc\x83\x47\x83\x89\x81\x5b\x82\xaa\x8b"
                  "\x4e\x82\xab\x82\xbd\x82\xaa\x82\xa9\x82\xeb\x82\xa4\x82"
                  "\xb6\x82\xc4\x93\x6f\x98\x5e\x8f\x6f\x97\x88\x82\xbd",
                  boxes_.seen()[0].caption);
        // "メモリの割り当てに失敗しました。"
        EXPECT_EQ("\x83\x81\x83\x82\x83\x8a\x82\xcc\x8a\x84\x82\xe8\x93\x96"
                  "\x82\xc4\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
                  "\x82\xbd\x81\x42",
                  boxes_.seen()[0].text);
    }
    EXPECT_EQ(1, fake_.disconnects);
    ExpectReleased();
}

TEST_F(Progman, GroupNameTooLongForACommandIsNotSent)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\n");
    std::string group(259, 'g');
    RegisterShortcutSection("ShortCut_File", group.c_str());
    EXPECT_TRUE(fake_.commands.empty());
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(Warning(3), boxes_.seen()[0].text);
    ExpectReleased();
}

namespace {

int g_allocationsLeft;
void *FailingAllocate(size_t bytes)
{
    if (g_allocationsLeft-- <= 0)
        return NULL;
    return malloc(bytes);
}

}  // namespace

TEST_F(Progman, AllocationFailureSkipsTheSectionSilently)
{
    Script("[ShortCut_File]\nIcon000=A;a.exe\nIcon001=B;b.exe\n");
    // 4 blocks for the list itself, then 3 per entry: fail at every step.
    for (int allowed = 0; allowed < 4 + 3 * 2; allowed++) {
        g_allocationsLeft = allowed;
        SetShortcutAllocator(FailingAllocate);
        EXPECT_EQ(0, Register()) << allowed;
        SetShortcutAllocator(NULL);
    }
    EXPECT_EQ(0, fake_.connects);
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST(DdeErrorText, TableTextsAndUnknownCodes)
{
    char text[DDE_DIAGNOSTIC_SIZE];
    size_t longest = 0;
    for (UINT code = DMLERR_ADVACKTIMEOUT; code <= DMLERR_UNFOUND_QUEUE_ID;
         code++) {
        text[0] = '\0';
        DdeErrorText(text, sizeof(text), code);
        EXPECT_NE('\0', text[0]) << code;
        longest = std::max(longest, strlen(text));
    }
    EXPECT_EQ(203u, longest);
    DdeErrorText(text, sizeof(text), DMLERR_DLL_NOT_INITIALIZED);
    std::string notInitialized = text;
    // Ends in "識別子".
    EXPECT_EQ("\x8e\xaf\x95\xca\x8e\x71",
              notInitialized.substr(notInitialized.size() - 6));

    strcpy(text, "kept");
    DdeErrorText(text, sizeof(text), DMLERR_NO_ERROR);
    EXPECT_STREQ("kept", text);
    DdeErrorText(text, sizeof(text), 0x4012);
    EXPECT_STREQ("kept", text);

    // A small buffer cuts between Shift-JIS characters.
    char small[8];
    memset(small, '#', sizeof(small));
    DdeErrorText(small, 6, DMLERR_MEMORY_ERROR);
    EXPECT_STREQ("\x83\x81\x83\x82", small);
    EXPECT_EQ('#', small[6]);
}

// ---- Wine's own Program Manager ----

TEST(RealProgman, CreatesTheGroupFolderAndItsShortcutFiles)
{
    // Under the Shift-JIS locale Wine's shell did not answer the connect
    // here (both attempts failed); the conversation itself is the same.
    if (GetACP() == 932)
        GTEST_SKIP() << "Wine's Program Manager is checked in the 1252 run";
    CoInitialize(NULL);
    char programs[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, 0, programs));
    ScratchDir media;
    ScratchDir destination;
    WriteFileBytes(destination.Join("readme.txt"), "read me");
    std::string script = media.Join("copy_ns.ini");
    WriteFileBytes(script, "[ShortCut_File]\n"
                           "Icon000=Note Pad;notepad.exe;@WINDOWSDIR\n"
                           "Icon001=Read Me;readme.txt\n");
    strcpy(g_scriptPath, script.c_str());
    strcpy(g_destinationFolder, destination.path().c_str());
    g_allUsers = 1;
    std::string group = "SetupTest " + std::to_string(GetCurrentProcessId());

    MessageBoxAnswerer boxes;
    EXPECT_EQ(1, RegisterShortcutSection("ShortCut_File", group.c_str()));
    EXPECT_TRUE(boxes.seen().empty())
        << boxes.seen()[0].caption << ": " << boxes.seen()[0].text;

    std::string folder = std::string(programs) + "\\" + group;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_EQ(std::string(windows) + "\\notepad.exe||",
              ReadShortcut(folder + "\\Note Pad.lnk"));
    EXPECT_EQ(destination.Join("readme.txt") + "||",
              ReadShortcut(folder + "\\Read Me.lnk"));
    RemoveTree(folder);
    WritePrivateProfileStringA(NULL, NULL, NULL, script.c_str());
    CoUninitialize();
}
