// setup.exe as a separate process on media generated here: the whole road
// with its results in files, registry, uninstall log and shortcuts, and
// the roads that end early. The Wine prefix's registry and folders are the
// real ones; what the tests add is removed before and after each test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/setup_walker.h"
#include "tests/support/test_support.h"

namespace {

const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2EFileAgent";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kBrandedKey[] = "Software\\Vorstmark\\CaptureKit\\FileAgent";

void CleanRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veltrane");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vorstmark");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

std::string ShellFolder(HKEY root, const char *key, const char *value)
{
    return ReadRegString(root, key, value);
}

class SetupRoad : public testing::Test {
protected:
    void SetUp() override
    {
        CleanRegistry();
        media_ = scratch_.Join("media");
        destination_ = scratch_.Join("Installed\\FileAgent");
        log_ = scratch_.Join("uninst.log");
        WriteMedia();
    }
    void TearDown() override
    {
        CleanRegistry();
        RemoveGroupFolders("E2E Typed Group");
        RemoveGroupFolders("E2E Proposed");
    }

    void WriteMedia()
    {
        MakeFolders(media_ + "\\eng");
        MakeFolders(media_ + "\\product\\app");
        CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
                  (media_ + "\\setup.exe").c_str(), FALSE);
        CopyFileA((BuildFolder() + "\\ACLPROBE.DLL").c_str(),
                  (media_ + "\\ACLPROBE.DLL").c_str(), FALSE);
        WriteFileBytes(media_ + "\\language.ini",
                       "[Language]\r\nLang00=English;eng\r\nLang01=Other;oth\r\n"
                       "Default=English\r\n");
        WriteFileBytes(media_ + "\\eng\\message.ini",
                       "[TITLE]\r\nTOVRIN=E2E Setup\r\nWELCOME=Welcome\r\n"
                       "[BUTTON]\r\nNEXT=Next\r\nPREV=Back\r\nCANCEL=Cancel\r\n"
                       "FINISH=Finish\r\n"
                       "[MessageBox]\r\nOTHERBRAND_EXIST=other brand\r\n"
                       "NEWEST_EXIST=already installed\r\n"
                       "CLOSEMON_F=close the utility\r\nTITLE_ERROR=Error\r\n"
                       "QUIT_SETUP=Quit?\r\nTITLE_MESSAGE=Question\r\n"
                       "INPUT_ERROR=bad folder\r\n"
                       "[WINDOW]\r\nWINNAME_F=E2ETestUtility\r\n");
        WriteFileBytes(media_ + "\\eng\\license.txt", "licence\r\n");
        WriteFileBytes(media_ + "\\eng\\copy_ns.ini",
                       "[Application]\r\nVersion=1.2.0\r\n"
                       "[Directry]\r\nDstDirectry=E2E\\Default\r\n"
                       "[Files_DLL]\r\nVersion=2.0.0\r\n"
                       "file000=shared.dll;\\product\\app;\\Shared\r\n"
                       "[Files_Common]\r\nfile000=common.txt;\\product\\app;\\Common\r\n"
                       "[Files_File]\r\nfile000=agent.exe;\\product\\app\r\n"
                       "file001=readme.txt;\\product\\app\r\n"
                       "[ShortCut_File]\r\ngroup=E2E Proposed\r\n"
                       "Icon000=E2E Agent;agent.exe\r\n"
                       "[UnInstLog]\r\nUnInstLog=" + log_ + "\r\n"
                       "RegistKey=E2EFileAgent\r\nDispName=E2E FileAgent\r\n"
                       "ExeFile=@WINDOWSDIR\\e2euninst.exe " + log_ + "\r\n"
                       "Publisher=E2E Publisher\r\nDispIcon=agent.exe\r\n");
        for (const char *name : {"shared.dll", "common.txt", "readme.txt"})
            WriteFileBytes(media_ + "\\product\\app\\" + name, name);
        // A shortcut must point at a file that exists: a real program.
        CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
                  (media_ + "\\product\\app\\agent.exe").c_str(), FALSE);
    }

    void RemoveGroupFolders(const char *group)
    {
        const char *userKey =
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        std::string user = ShellFolder(HKEY_CURRENT_USER, userKey, "Programs");
        std::string common = ShellFolder(HKEY_LOCAL_MACHINE, userKey, "Common Programs");
        RemoveTree(user + "\\" + group);
        RemoveTree(common + "\\" + group);
    }

    bool ShortcutExists(const std::string &group, const std::string &title)
    {
        const char *key =
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        std::string user = ShellFolder(HKEY_CURRENT_USER, key, "Programs");
        std::string common = ShellFolder(HKEY_LOCAL_MACHINE, key, "Common Programs");
        std::string name = "\\" + group + "\\" + title + ".lnk";
        return FileExists(user + name) || FileExists(common + name);
    }

    // Starts setup and waits for its wizard's welcome page.
    HWND StartToWelcome()
    {
        EXPECT_TRUE(setup_.Start(media_));
        HWND language = WaitForLanguageDialog(setup_);
        EXPECT_NE((HWND)NULL, language);
        PressButton(language, IDOK);
        HWND frame = WaitForWizardFrame(setup_);
        EXPECT_NE((HWND)NULL, frame);
        return frame;
    }

    // Presses CANCEL (or sends the Esc command) and answers YES.
    void QuitWithYes(HWND frame, int command)
    {
        PressButton(frame, command);
        std::string caption, text;
        HWND box = WaitForMessageBox(setup_, &caption, &text);
        ASSERT_NE((HWND)NULL, box);
        EXPECT_EQ("Quit?", text);
        Answer(box, IDYES);
        EXPECT_EQ(11, setup_.WaitForExit());   // cancelled by the user
        EXPECT_FALSE(FileExists(destination_));
    }

    // A walked refusal ends with the unattended run's code for it;
    // Windows Installer's with -m.
    void ExpectRefusal(const char *message, int code, int msiCode)
    {
        ExpectRefusalWith(message, "", code);
        ExpectRefusalWith(message, "-m", msiCode);
    }
    void ExpectRefusalWith(const char *message, const std::string &arguments,
                           int code)
    {
        EXPECT_TRUE(setup_.Start(media_, arguments));
        HWND language = WaitForLanguageDialog(setup_);
        ASSERT_NE((HWND)NULL, language);
        PressButton(language, IDOK);
        std::string caption, text;
        HWND box = WaitForMessageBox(setup_, &caption, &text);
        ASSERT_NE((HWND)NULL, box);
        EXPECT_EQ("Error", caption);
        EXPECT_EQ(message, text);
        Answer(box, IDOK);
        EXPECT_EQ(code, setup_.WaitForExit());
        EXPECT_FALSE(FileExists(log_));
        EXPECT_EQ("<missing>", ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                                             "DisplayName"));
    }

    ScratchDir scratch_;
    std::string media_;
    std::string destination_;
    std::string log_;
    SetupProcess setup_;
};

TEST_F(SetupRoad, WholeRoadInstallsIntoTheChosenFolderAndGroup)
{
    RoadChoices choices;
    choices.destination = destination_;
    choices.group = "E2E Typed Group";
    std::vector<std::string> boxes;
    std::string report = scratch_.Join("walked.txt");
    ASSERT_TRUE(setup_.Start(media_, "-o" + report));
    std::string problem = WalkWholeRoad(setup_, choices, StepHook(), &boxes);
    ASSERT_EQ("", problem);
    EXPECT_EQ(0, setup_.WaitForExit());
    for (const std::string &box : boxes)
        ADD_FAILURE() << "message box on the way: " << box;

    EXPECT_EQ("readme.txt", ReadFileBytes(destination_ + "\\readme.txt"));
    EXPECT_TRUE(FileExists(destination_ + "\\agent.exe"));
    EXPECT_TRUE(FileExists(destination_ + "\\Shared\\shared.dll"));
    EXPECT_TRUE(FileExists(destination_ + "\\Common\\common.txt"));

    EXPECT_EQ(destination_, ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey,
                                          "InstallPath"));
    EXPECT_EQ("1.2.0", ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version"));
    EXPECT_EQ("E2E FileAgent", ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                                             "DisplayName"));
    EXPECT_EQ(destination_ + "\\agent.exe",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));

    char logged[MAX_PATH];
    GetPrivateProfileStringA("Files_File", "FILE00", "", logged, sizeof(logged),
                             log_.c_str());
    EXPECT_EQ(destination_ + "\\agent.exe", logged);
    GetPrivateProfileStringA("UnInstKey", "UnInstKey_File", "", logged,
                             sizeof(logged), log_.c_str());
    EXPECT_STREQ("E2EFileAgent", logged);
    EXPECT_TRUE(ShortcutExists("E2E Typed Group", "E2E Agent"));

    // The walked run's report, as an unattended run writes it.
    std::string walked = ReadFileBytes(report);
    EXPECT_EQ(0u, walked.find("start: version 1.2.0, language eng, "
                              "destination " + destination_ +
                              ", group E2E Typed Group\r\n"))
        << walked;
    EXPECT_NE(std::string::npos,
              walked.find("copied: " + destination_ + "\\readme.txt\r\n"));
    EXPECT_NE(std::string::npos,
              walked.find("result: installed (exit code 0)\r\n"))
        << walked;

    // The entry's values for deployment tools.
    EXPECT_EQ("1.2.0", ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                                     "DisplayVersion"));
    EXPECT_EQ("E2E Publisher", ReadRegString(HKEY_LOCAL_MACHINE,
                                             kUninstallKey, "Publisher"));
    EXPECT_EQ(destination_, ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                                          "InstallLocation"));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_EQ("\"" + std::string(windows) + "\\e2euninst.exe\" -s \"" +
                  log_ + "\"",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                            "QuietUninstallString"));
    DWORD size = 0, noModify = 0, noRepair = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey,
                             "EstimatedSize", &size));
    EXPECT_EQ((ReadFileBytes(media_ + "\\product\\app\\agent.exe").size() +
               strlen("shared.dll") + strlen("common.txt") +
               strlen("readme.txt") + 1023) / 1024,
              size);
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify",
                             &noModify));
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair",
                             &noRepair));
    EXPECT_EQ(1u, noModify);
    EXPECT_EQ(1u, noRepair);

    // The uninstaller's report; the entry goes whole, with its values.
    std::string removal = scratch_.Join("removal.txt");
    EXPECT_EQ(0, RunProcess("\"" + BuildFolder() + "\\uninstall.exe\" -s -o" +
                            removal + " " + log_));
    std::string removed = ReadFileBytes(removal);
    EXPECT_EQ(0u, removed.find("uninstall: log " + log_ + "\r\n")) << removed;
    EXPECT_NE(std::string::npos,
              removed.find("removing: " + destination_ + "\\readme.txt\r\n"));
    EXPECT_NE(std::string::npos, removed.find("result: removed (exit code 0)"));
    EXPECT_EQ("<missing>", ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey,
                                         "DisplayVersion"));
    HKEY entry;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey,
                                           0, KEY_READ, &entry));
}

TEST_F(SetupRoad, CancelInTheLanguageDialogEndsWithNothing)
{
    ASSERT_TRUE(setup_.Start(media_));
    HWND language = WaitForLanguageDialog(setup_);
    ASSERT_NE((HWND)NULL, language);
    PressButton(language, IDCANCEL);
    EXPECT_EQ(11, setup_.WaitForExit());
    EXPECT_FALSE(FileExists(log_));
}

TEST_F(SetupRoad, BrandedEditionRefuses)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    ExpectRefusal("other brand", 2, 1638);
}

TEST_F(SetupRoad, InstalledProductRefuses)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version", "1.0.0");
    ExpectRefusal("already installed", 3, 1638);
}

TEST_F(SetupRoad, RunningUtilityRefuses)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "E2ETestUtilityWindow";
    RegisterClassA(&windowClass);
    HWND utility = CreateWindowA("E2ETestUtilityWindow", "utility",
                                 WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                                 windowClass.hInstance, NULL);
    ExpectRefusal("close the utility", 4, 1618);
    DestroyWindow(utility);
}

TEST_F(SetupRoad, QuitAnsweredYesOnTheWelcomePage)
{
    HWND frame = StartToWelcome();
    ASSERT_EQ(0, WaitForPage(frame, 0));
    QuitWithYes(frame, IDC_WIZARD_CANCEL);
}

TEST_F(SetupRoad, QuitAnsweredYesOnTheDestinationPage)
{
    HWND frame = StartToWelcome();
    ASSERT_EQ(0, WaitForPage(frame, 0));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(2, WaitForPage(frame, 2));
    QuitWithYes(frame, IDC_WIZARD_CANCEL);
}

TEST_F(SetupRoad, QuitAnsweredYesOnTheProgramGroupPage)
{
    HWND frame = StartToWelcome();
    ASSERT_EQ(0, WaitForPage(frame, 0));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(2, WaitForPage(frame, 2));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(3, WaitForPage(frame, 3));
    QuitWithYes(frame, IDC_WIZARD_CANCEL);
}

TEST_F(SetupRoad, QuitAnsweredYesOnTheFinishPage)
{
    HWND frame = StartToWelcome();
    ASSERT_EQ(0, WaitForPage(frame, 0));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(2, WaitForPage(frame, 2));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(3, WaitForPage(frame, 3));
    PressButton(frame, IDC_WIZARD_NEXT);
    ASSERT_EQ(4, WaitForPage(frame, 4, 60000));
    Sleep(1200);
    // CANCEL is disabled here; Esc still asks.
    PressButton(frame, IDCANCEL);
    std::string caption, text;
    HWND box = WaitForMessageBox(setup_, &caption, &text);
    ASSERT_NE((HWND)NULL, box);
    EXPECT_EQ("Quit?", text);
    Answer(box, IDYES);
    EXPECT_EQ(0, setup_.WaitForExit());
    RemoveTree(ReadRegString(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows\\CurrentVersion",
                             "ProgramFilesDir") + "\\E2E");
}

}  // namespace
