// The licence, destination, program group, finish and user information
// pages, each created under a stand-in frame and driven by the frame's
// messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "install/destination_folder.h"
#include "pages/group_list.h"
#include "pages/license_text.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "tests/pages/page_host.h"
#include "wizard/wizard_messages.h"

namespace {

const char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kSendAgentKey[] = "Software\\Veltrane\\CaptureKit\\SendAgent";

// Ends the install progress dialog as soon as it is shown, so the page's
// part (open it modally, then move on) is tested without an installation.
class InstallDialogStopper {
public:
    InstallDialogStopper()
        : watcher_([this](HWND dialog) {
              if (GetDlgItem(dialog, 1050) != NULL) {  // the progress bar
                  owner_ = GetWindow(dialog, GW_OWNER);
                  EndDialog(dialog, 1);
              }
          })
    {
    }
    int opened() const { return watcher_.opened(); }
    HWND owner() const { return owner_; }

private:
    HWND owner_ = NULL;
    DialogWatcher watcher_;
};

// ---- Licence page

class LicensePage : public testing::Test {
protected:
    HWND Create()
    {
        HWND page = host_.CreatePage(IDD_PAGE_LICENSE, LicensePageProc);
        EXPECT_NE((HWND)NULL, page);
        return page;
    }
    PageHost host_;
};

TEST_F(LicensePage, ShowsTheFileByteForByte)
{
    std::string text = "Line one\r\nLine two\nstill two\r\n\r\nEnd";
    WriteFileBytes(g_licensePath, text);
    HWND page = Create();
    EXPECT_EQ(text, ItemText(page, IDC_LICENSE_TEXT));
}

TEST_F(LicensePage, EmptyMissingAndBinaryFiles)
{
    WriteFileBytes(g_licensePath, "");
    EXPECT_EQ("", ItemText(Create(), IDC_LICENSE_TEXT));

    WriteFileBytes(g_licensePath, std::string("before\0after", 12));
    EXPECT_EQ("before", ItemText(Create(), IDC_LICENSE_TEXT));

    CopyText(g_licensePath, sizeof(g_licensePath),
             host_.media().Join("nolang\\license.txt").c_str());
    EXPECT_EQ("", ItemText(Create(), IDC_LICENSE_TEXT));
}

TEST_F(LicensePage, LoaderReportsWhetherTheFileOpened)
{
    HWND page = Create();
    HWND box = GetDlgItem(page, IDC_LICENSE_TEXT);
    SetWindowTextA(box, "kept");
    EXPECT_EQ(0, LoadTextFileIntoControl(box, "C:\\no\\such\\license.txt"));
    EXPECT_EQ("kept", WindowText(box));
    WriteFileBytes(g_licensePath, "new");
    EXPECT_NE(0, LoadTextFileIntoControl(box, g_licensePath));
    EXPECT_EQ("new", WindowText(box));
}

TEST_F(LicensePage, LargeFileArrivesWhole)
{
    std::string text;
    for (int i = 0; i < 4000; i++)
        text += "Clause " + std::to_string(i) + " of the agreement.\r\n";
    WriteFileBytes(g_licensePath, text);
    HWND box = GetDlgItem(Create(), IDC_LICENSE_TEXT);
    EXPECT_EQ((int)text.size(), GetWindowTextLengthA(box));
}

TEST_F(LicensePage, StandardFontMovesAndFocus)
{
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                             0, 0, 0, 0, "Arial");
    g_standardFont = font;
    HWND page = Create();
    HWND box = GetDlgItem(page, IDC_LICENSE_TEXT);
    EXPECT_EQ((LRESULT)font, SendMessageA(box, WM_GETFONT, 0, 0));
    g_standardFont = NULL;

    ShowWindow(host_.frame(), SW_SHOW);
    ShowWindow(page, SW_SHOW);
    EXPECT_EQ(box, GetFocus());
    SendMessageA(page, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(2, g_currentPage);
    SendMessageA(page, WM_WIZARD_BACK, 0, 0);
    EXPECT_EQ(0, g_currentPage);
    DestroyWindow(page);
    DeleteObject(font);
}

// ---- Destination folder page

class DestinationPage : public testing::Test {
protected:
    void SetProgramFiles(const std::string &folder)
    {
        WriteRegString(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir",
                       folder);
    }
    void SetProductFolder(const std::string &folder)
    {
        host_.WriteScript("[Directry]\r\nDstDirectry=" + folder + "\r\n");
    }
    std::string Default()
    {
        char buffer[PATH_SIZE + 16];
        memset(buffer, '#', sizeof(buffer));
        ComputeDefaultDestination(buffer, PATH_SIZE);
        EXPECT_EQ('#', buffer[PATH_SIZE]);
        return buffer;
    }

    RegistrySandbox registry_;
    PageHost host_;
};

TEST_F(DestinationPage, ScriptFolderJoinsTheSystemsProgramFiles)
{
    const struct {
        const char *programFiles;
        const char *script;
        const char *destination;
    } cases[] = {
        {"D:\\Program Files", "Tool", "D:\\Program Files\\Tool"},
        {"E:\\Apps", "C:\\PROGRAM FILES\\Tool", "E:\\Apps\\Tool"},
        {"D:\\Programme", "c:\\Program Files\\Vendor\\Tool",
         "D:\\Programme\\Vendor\\Tool"},
        {"E:\\Apps", "c:\\Program FilesTool", "E:\\Apps\\c:\\Program FilesTool"},
        {"E:\\Apps", "\\Tool", "E:\\Apps\\Tool"},
        {"E:\\Apps", "D:\\Other\\Tool", "E:\\Apps\\D:\\Other\\Tool"},
        {"E:\\Apps\\", "Tool", "E:\\Apps\\Tool"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.script);
        SetProgramFiles(c.programFiles);
        SetProductFolder(c.script);
        EXPECT_EQ(c.destination, Default());
    }
}

TEST_F(DestinationPage, MissingScriptValueGivesFail)
{
    SetProgramFiles("D:\\Program Files");
    host_.WriteScript("[Directry]\r\n");
    EXPECT_EQ("D:\\Program Files\\Fail", Default());
}

TEST_F(DestinationPage, OverlongScriptValueLeavesTheProgramFilesFolder)
{
    SetProgramFiles("D:\\Program Files");
    SetProductFolder(std::string(300, 'x'));
    EXPECT_EQ("D:\\Program Files", Default());
}

TEST_F(DestinationPage, UnreadableProgramFilesFallsBackToTheSystemDrive)
{
    char windows[PATH_SIZE];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string expected = std::string(windows, 2) + "\\Program Files\\Tool";
    SetProductFolder("Tool");
    EXPECT_EQ(expected, Default());  // no value at all
    SetProgramFiles(std::string(400, 'p'));
    EXPECT_EQ(expected, Default());  // a value too long for a path
}

TEST_F(DestinationPage, ReaderTerminatesAndLeavesTheBufferOnFailure)
{
    char buffer[PATH_SIZE + 16];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, ReadProgramFilesDir(buffer, PATH_SIZE));
    EXPECT_EQ('#', buffer[0]);

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kVersionKey, &key));
    std::string bytes(PATH_SIZE, 'q');  // no NUL anywhere
    RegSetValueExA(key, "ProgramFilesDir", 0, REG_BINARY,
                   (const BYTE *)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
    EXPECT_EQ(PATH_SIZE - 1, ReadProgramFilesDir(buffer, PATH_SIZE));
    EXPECT_EQ(std::string(PATH_SIZE - 1, 'q'), buffer);
    EXPECT_EQ('#', buffer[PATH_SIZE]);

    SetProgramFiles("C:\\Program Files");
    char small[8];
    EXPECT_EQ(7, ReadProgramFilesDir(small, sizeof(small)));
    EXPECT_STREQ("C:\\Prog", small);
}

TEST_F(DestinationPage, ShowsTheFolderAndMoves)
{
    SetProgramFiles("D:\\Program Files");
    SetProductFolder("Tool");
    HWND page = host_.CreatePage(IDD_PAGE_DESTINATION, DestinationPageProc);
    ASSERT_NE((HWND)NULL, page);
    EXPECT_STREQ("D:\\Program Files\\Tool", g_destinationFolder);
    ShowWindow(page, SW_SHOW);
    EXPECT_EQ("D:\\Program Files\\Tool", ItemText(page, IDC_DEST_FOLDER));
    SendMessageA(page, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(3, g_currentPage);
    SendMessageA(page, WM_WIZARD_BACK, 0, 0);
    EXPECT_EQ(0, g_currentPage);
}

TEST_F(DestinationPage, BrowserChoiceAndCancel)
{
    SetProgramFiles("C:\\Program Files");
    SetProductFolder("Tool");
    HWND page = host_.CreatePage(IDD_PAGE_DESTINATION, DestinationPageProc);
    std::string startedWith;
    const char *typed = "C:\\Chosen\\Place";
    int button = IDOK;
    DialogWatcher browser([&](HWND dialog) {
        char start[PATH_SIZE];
        GetDlgItemTextA(dialog, IDC_BROWSER_FOLDER, start, sizeof(start));
        startedWith = start;
        SetDlgItemTextA(dialog, IDC_BROWSER_FOLDER, typed);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    });
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEST_BROWSE, BN_CLICKED),
                 (LPARAM)GetDlgItem(page, IDC_DEST_BROWSE));
    EXPECT_EQ(1, browser.opened());
    EXPECT_EQ("C:\\Program Files\\Tool", startedWith);
    EXPECT_STREQ(typed, g_destinationFolder);
    EXPECT_EQ(typed, ItemText(page, IDC_DEST_FOLDER));

    button = IDCANCEL;
    typed = "C:\\Not\\Taken";
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEST_BROWSE, BN_CLICKED), 0);
    EXPECT_EQ(2, browser.opened());
    EXPECT_STREQ("C:\\Chosen\\Place", g_destinationFolder);
    EXPECT_EQ("C:\\Chosen\\Place", ItemText(page, IDC_DEST_FOLDER));
}

TEST_F(DestinationPage, OtherCommandsDoNotOpenTheBrowser)
{
    SetProductFolder("Tool");
    HWND page = host_.CreatePage(IDD_PAGE_DESTINATION, DestinationPageProc);
    DialogWatcher browser([](HWND dialog) { EndDialog(dialog, 1); });
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEST_BROWSE, BN_SETFOCUS), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_DEST_FOLDER, BN_CLICKED), 0);
    EXPECT_EQ(0, browser.opened());
}

// ---- Program group page

class GroupPage : public testing::Test {
protected:
    void SetUp() override
    {
        g_folderListFilled = 1;
        g_allUsers = 0;  // the per-user Programs folder
        programs_ = folders_.Join("Programs");
        MakeFolders(programs_ + "\\Tools");
        MakeFolders(programs_ + "\\Accessories");
        MakeFolders(programs_ + "\\Hidden");
        SetFileAttributesA((programs_ + "\\Hidden").c_str(),
                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
        MakeFolders(programs_ + "\\System");
        SetFileAttributesA((programs_ + "\\System").c_str(),
                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
        WriteFileBytes(programs_ + "\\readme.txt", "a file");
        WriteRegString(HKEY_CURRENT_USER, kUserShellFolders, "Programs",
                       programs_);
        host_.WriteScript("[ShortCut_File]\r\ngroup=Proposed Group\r\n");
        page_ = host_.CreatePage(IDD_PAGE_GROUP, ProgramGroupPageProc);
        ASSERT_NE((HWND)NULL, page_);
        list_ = GetDlgItem(page_, IDC_GROUP_LIST);
    }
    void TearDown() override
    {
        g_allUsers = 1;
        g_folderListFilled = 1;
    }

    std::vector<std::string> Listed()
    {
        std::vector<std::string> names;
        LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            char text[PATH_SIZE];
            SendMessageA(list_, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
            names.push_back(text);
        }
        return names;
    }

    void Pick(const char *name)
    {
        LRESULT index = SendMessageA(list_, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                     (LPARAM)name);
        ASSERT_NE(LB_ERR, index) << name;
        SendMessageA(list_, LB_SETCURSEL, (WPARAM)index, 0);
        SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_GROUP_LIST, LBN_SELCHANGE),
                     (LPARAM)list_);
    }

    RegistrySandbox registry_;
    PageHost host_;
    ScratchDir folders_;
    std::string programs_;
    HWND page_ = NULL;
    HWND list_ = NULL;
};

TEST_F(GroupPage, ListsPlainSubfoldersSortedAndProposesTheScriptsGroup)
{
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    EXPECT_EQ((std::vector<std::string>{"Accessories", "Tools"}), Listed());
    EXPECT_EQ("Proposed Group", ItemText(page_, IDC_GROUP_NAME));
    EXPECT_STREQ("Proposed Group", g_programGroup);
}

TEST_F(GroupPage, ListIsFilledOnceAndTheProposalComesBack)
{
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    SetDlgItemTextA(page_, IDC_GROUP_NAME, "Typed before");
    MakeFolders(programs_ + "\\Later");
    SendMessageA(page_, WM_WIZARD_BACK, 0, 0);
    EXPECT_EQ(2, g_currentPage);
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    EXPECT_EQ((std::vector<std::string>{"Accessories", "Tools"}), Listed());
    EXPECT_EQ("Proposed Group", ItemText(page_, IDC_GROUP_NAME));
}

TEST_F(GroupPage, PickingThenTypingThenNextInstallsIntoTheTypedGroup)
{
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    Pick("Tools");
    EXPECT_EQ("Tools", ItemText(page_, IDC_GROUP_NAME));
    EXPECT_STREQ("Tools", g_programGroup);
    SetDlgItemTextA(page_, IDC_GROUP_NAME, "Tools\\Mine");
    EXPECT_STREQ("Tools", g_programGroup);

    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(1, install.opened());
    // A child page cannot own a window: the frame above it does.
    EXPECT_EQ(host_.frame(), install.owner());
    EXPECT_STREQ("Tools\\Mine", g_programGroup);
    EXPECT_EQ(4, g_currentPage);
}

TEST_F(GroupPage, EmptyNameIsPassedOn)
{
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    SetDlgItemTextA(page_, IDC_GROUP_NAME, "");
    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_STREQ("", g_programGroup);
    EXPECT_EQ(4, g_currentPage);
}

TEST_F(GroupPage, OverlongTypedNameIsCutToTheGroupBuffer)
{
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    SetDlgItemTextA(page_, IDC_GROUP_NAME, std::string(500, 'g').c_str());
    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(std::string(sizeof(g_programGroup) - 1, 'g'), g_programGroup);
}

TEST_F(GroupPage, MissingScriptGroupGivesFail)
{
    host_.WriteScript("");
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    EXPECT_EQ("Fail", ItemText(page_, IDC_GROUP_NAME));
}

TEST_F(GroupPage, WithoutAProgramsFolderTheListStaysEmpty)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software");
    // Nothing of the current directory may turn up instead.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(programs_.c_str());
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ("Proposed Group", ItemText(page_, IDC_GROUP_NAME));
}

TEST_F(GroupPage, FillFolderListRunsOnceAndRefusesOverlongFolders)
{
    HWND list = CreateWindowA("LISTBOX", "", LBS_SORT, 0, 0, 10, 10, NULL,
                              NULL, g_instance, NULL);
    EXPECT_EQ(0, FillFolderList(list, ("C:\\" + std::string(300, 'x')).c_str()));
    EXPECT_EQ(0, g_folderListFilled);
    EXPECT_EQ(0, FillFolderList(list, programs_.c_str()));
    g_folderListFilled = 1;
    EXPECT_EQ(2, FillFolderList(list, programs_.c_str()));
    DestroyWindow(list);
}

// ---- Finish page

TEST(FinishPage, FinishEndsTheWizardWithoutMoving)
{
    PageHost host;
    HWND page = host.CreatePage(IDD_PAGE_FINISH, FinishPageProc);
    ASSERT_NE((HWND)NULL, page);
    ShowWindow(host.frame(), SW_SHOW);
    SendMessageA(page, WM_WIZARD_ACTIVATE, 1, 0);
    EXPECT_EQ(host.frame(), GetFocus());
    g_currentPage = PAGE_FINISH;
    SendMessageA(page, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(1, host.endCount());
    EXPECT_EQ(4, g_currentPage);
}

// ---- User information page

class UserInfoPage : public testing::Test {
protected:
    void SetUp() override
    {
        page_ = host_.CreatePage(IDD_PAGE_USERINFO, UserInfoPageProc);
        ASSERT_NE((HWND)NULL, page_);
    }
    void Fill(const std::string &server, const std::string &name,
              const std::string &address)
    {
        SetDlgItemTextA(page_, IDC_USERINFO_SERVER, server.c_str());
        SetDlgItemTextA(page_, IDC_USERINFO_ADMIN_NAME, name.c_str());
        SetDlgItemTextA(page_, IDC_USERINFO_ADMIN_ADDR, address.c_str());
    }
    std::string Stored(const char *value)
    {
        return ReadRegString(HKEY_LOCAL_MACHINE, kSendAgentKey, value);
    }

    RegistrySandbox registry_;
    PageHost host_;
    HWND page_ = NULL;
};

TEST_F(UserInfoPage, BoxesAcceptAtMost256Characters)
{
    const int boxes[] = {IDC_USERINFO_SERVER, IDC_USERINFO_ADMIN_NAME,
                         IDC_USERINFO_ADMIN_ADDR};
    for (int box : boxes)
        EXPECT_EQ(256, (int)SendDlgItemMessageA(page_, box, EM_GETLIMITTEXT, 0, 0));
}

TEST_F(UserInfoPage, NextStoresTheEntriesThenInstalls)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kSendAgentKey, "SERV", "old");
    Fill("mail.example", "Admin Person", "admin@example");
    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ("mail.example", Stored("SERV"));
    EXPECT_EQ("Admin Person", Stored("ADMIN NAME"));
    EXPECT_EQ("admin@example", Stored("ADMIN ADDR"));
    EXPECT_EQ(1, install.opened());
    EXPECT_EQ(4, g_currentPage);
}

TEST_F(UserInfoPage, EmptyBoxesAndTheOtherValuesOfTheKey)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kSendAgentKey, "Version", "1.5.0");
    Fill("", "", "");
    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ("", Stored("SERV"));
    EXPECT_EQ("", Stored("ADMIN NAME"));
    EXPECT_EQ("", Stored("ADMIN ADDR"));
    // The delivery utility's own version is not thrown away.
    EXPECT_EQ("1.5.0", Stored("Version"));
}

TEST_F(UserInfoPage, OverlongEntryKeepsItsFirst255Characters)
{
    Fill(std::string(256, 's'), std::string(600, 'n'), "a");
    InstallDialogStopper install;
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(std::string(255, 's'), Stored("SERV"));
    EXPECT_EQ(std::string(255, 'n'), Stored("ADMIN NAME"));
}

TEST_F(UserInfoPage, BackLeavesTheRegistryAlone)
{
    Fill("x", "y", "z");
    SendMessageA(page_, WM_WIZARD_BACK, 0, 0);
    EXPECT_EQ(3, g_currentPage);
    EXPECT_EQ("<missing>", Stored("SERV"));
}

}  // namespace
