// Whole install runs on generated media: the gates of the network library
// and the shared component, folder macros, the registry layout and the
// uninstall log afterwards, re-runs, a large section, and the progress
// dialog itself. Program Manager is the scripted stand-in here (the real
// one is exercised by the Program Manager tests).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "install/file_copy.h"
#include "install/install_run.h"
#include "progress/install_progress.h"
#include "resources/resource.h"
#include "tests/install/fake_progman.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"

namespace {

const char kNetLib[] = "Software\\Vorstmark";
const char kVeltrane[] = "Software\\Veltrane";
const char kUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A product with all three file sections, their shortcuts and an
// uninstall entry. {UNIQUE} keeps what goes into the system and Windows
// folders apart from other runs.
const char kProductScript[] =
    "[Application]\n"
    "Version=3.2.1\n"
    "[UnInstLog]\n"
    "UnInstLog={LOG}\n"
    "RegistKey=CaptureKit FileAgent\n"
    "DispName=Capture Kit File Agent\n"
    "ExeFile=@WINDOWSDIR\\uninst.exe -f @LANGDIR\n"
    "DispIcon=@SYSTEMDIR\\agent.ico\n"
    "[Files_DLL]\n"
    "Version=2.1.0\n"
    "AppName=CaptureAgent\n"
    "file000=netlnk32.dll;\\disk1;@SYSTEMDIR\\{UNIQUE}\n"
    "[StartUp_DLL]\n"
    "Icon000=Net Link;netlnk32.dll;@SYSTEMDIR\n"
    "[Files_Common]\n"
    "file000=common.dll;\\disk1;\\common\n"
    "file001=lang.txt;\\@LANGDIR;@WINDOWSDIR\\{UNIQUE}\n"
    "[ShortCut_Common]\n"
    "Icon000=Common Tool;common\\common.dll\n"
    "[StartUp_Common]\n"
    "Icon000=Common Agent;common\\common.dll\n"
    "[Files_File]\n"
    "file000=fileagent.exe;\\disk2\n"
    "file001=readme.txt\n"
    "file002=help\\agent.hlp;\\disk2;\\doc\n"
    "file003=tray.ini;\\disk2;@STARTUPDIR\n"
    "[ShortCut_File]\n"
    "group=Capture Kit\n"
    "Icon000=File Agent;fileagent.exe\n"
    "Icon001=Agent Help;agent.hlp;@LANGDIR;-h\n"
    "[StartUp_File]\n"
    "Icon000=File Agent Tray;fileagent.exe\n";

// "セットアップ" as the program holds it.
const std::string kSetupShiftJis =
    "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76";

class InstallRun : public testing::Test {
protected:
    void SetUp() override
    {
        unique_ = "setup_run_" + std::to_string(GetCurrentProcessId());
        char folder[MAX_PATH];
        GetSystemDirectoryA(folder, sizeof(folder));
        system_ = std::string(folder) + "\\" + unique_;
        GetWindowsDirectoryA(folder, sizeof(folder));
        windows_ = std::string(folder) + "\\" + unique_;
        windowsDir_ = folder;
        GetSystemDirectoryA(folder, sizeof(folder));
        systemDir_ = folder;
        media_.WriteSource("disk1\\netlnk32.dll", "net");
        media_.WriteSource("disk1\\common.dll", "common");
        media_.WriteSource("jpn\\lang.txt", "lang");
        media_.WriteSource("disk2\\fileagent.exe", "agent");
        media_.WriteSource("readme.txt", "readme");
        media_.WriteSource("disk2\\help\\agent.hlp", "help");
        media_.WriteSource("disk2\\tray.ini", "tray");
        Script(kProductScript);
    }
    void TearDown() override
    {
        RemoveTree(system_);
        RemoveTree(windows_);
        DeleteFileA((media_.startup() + "\\tray.ini").c_str());
    }

    std::string Fill(const std::string &text)
    {
        return ::Fill(text, {{"LOG", media_.logPath()},
                             {"UNIQUE", unique_},
                             {"DEST", media_.destination()},
                             {"PROGRAMS", media_.programs()},
                             {"STARTUP", media_.startup()},
                             {"SYSTEM", systemDir_},
                             {"WINDOWS", windowsDir_}});
    }
    void Script(const std::string &text) { media_.WriteScript(Fill(text)); }
    void Run()
    {
        RunInstallation(NULL, NULL, &failures_, NULL);
    }
    std::string Registry()
    {
        return DumpRegistry(kNetLib) + DumpRegistry(kVeltrane) +
               DumpRegistry(kUninstall);
    }

    InstallMedia media_;
    FakeProgman progman_;
    CopyFailures failures_ = {};
    std::string unique_, system_, windows_, systemDir_, windowsDir_;
};

}  // namespace

TEST_F(InstallRun, FullProductGivesTheExpectedFilesRegistryAndLog)
{
    g_installCommonFiles = 1;
    Run();
    EXPECT_EQ(0, failures_.count) << failures_.firstFile;

    EXPECT_EQ("net", ReadFileBytes(system_ + "\\netlnk32.dll"));
    EXPECT_EQ("common", ReadFileBytes(media_.Dest("common\\common.dll")));
    EXPECT_EQ("lang", ReadFileBytes(windows_ + "\\lang.txt"));
    EXPECT_EQ("agent", ReadFileBytes(media_.Dest("fileagent.exe")));
    EXPECT_EQ("readme", ReadFileBytes(media_.Dest("readme.txt")));
    EXPECT_EQ("help", ReadFileBytes(media_.Dest("doc\\help\\agent.hlp")));
    EXPECT_EQ("tray", ReadFileBytes(media_.startup() + "\\tray.ini"));
    // The shared component's files are left read-only.
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
              GetFileAttributesA(media_.Dest("common\\common.dll").c_str()) &
                  FILE_ATTRIBUTE_READONLY);

    // Values are listed by name, as Wine enumerates them.
    EXPECT_EQ(Fill("Software\\Vorstmark\\NETLNK32|Version|REG_SZ|2.1.0\n"
                   "Software\\Vorstmark\\NETLNK32\\Application|CaptureAgent|REG_DWORD|1\n"
                   "Software\\Veltrane\\CaptureKit\\FileAgent|InstallPath|REG_SZ|{DEST}\n"
                   "Software\\Veltrane\\CaptureKit\\FileAgent|Version|REG_SZ|3.2.1\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|DisplayIcon|REG_SZ|{DEST}\\@SYSTEMDIR\\agent.ico\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|DisplayName|REG_SZ|Capture Kit File Agent\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|DisplayVersion|REG_SZ|3.2.1\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|EstimatedSize|REG_DWORD|1\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|InstallLocation|REG_SZ|{DEST}\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|NoModify|REG_DWORD|1\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|NoRepair|REG_DWORD|1\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|QuietUninstallString|REG_SZ|\"{WINDOWS}\\uninst.exe\" -s \"{LOG}\"\n"
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CaptureKit FileAgent|UninstallString|REG_SZ|{WINDOWS}\\uninst.exe -f jpn\n"),
              Registry());

    // The expected file is kept with plain line feeds; Wine writes CR LF.
    std::string expectedLog;
    for (char c : Fill(ReadFileBytes(TestDataPath("full_install_log.ini")))) {
        if (c == '\n')
            expectedLog += '\r';
        expectedLog += c;
    }
    EXPECT_EQ(expectedLog, media_.Log());

    // Four conversations: the shared group, the Startup group (named after
    // the Startup folder), then the product's group and Startup again.
    std::vector<std::string> expected = {
        "[CreateGroup(\"Kit\",1)][ShowGroup(\"Kit\",1)]",
        Fill("[AddItem(\"{DEST}\\common\\common.dll\" ,\"Common Tool\")]"),
        "[CreateGroup(\"Startup\",1)][ShowGroup(\"Startup\",1)]",
        Fill("[AddItem(\"{DEST}\\common\\common.dll\" ,\"Common Agent\")]"),
        "[CreateGroup(\"Kit\",1)][ShowGroup(\"Kit\",1)]",
        Fill("[AddItem(\"{DEST}\\fileagent.exe\" ,\"File Agent\")]"),
        "[AddItem(\"jpn\\agent.hlp\" -h,\"Agent Help\")]",
        "[CreateGroup(\"Startup\",1)][ShowGroup(\"Startup\",1)]",
        Fill("[AddItem(\"{DEST}\\fileagent.exe\" ,\"File Agent Tray\")]"),
    };
    EXPECT_EQ(expected, progman_.commands);
}

TEST_F(InstallRun, RerunIntoTheSameLogAddsNothing)
{
    g_installCommonFiles = 1;
    Run();
    std::string log = media_.Log();
    std::string registry = Registry();
    Run();
    EXPECT_EQ(log, media_.Log());
    EXPECT_EQ(registry, Registry());
    EXPECT_EQ(0, failures_.count) << failures_.firstFile;
}

TEST_F(InstallRun, NoInstalledLibraryCopiesItAndWritesTheDefaultVersion)
{
    Script("[UnInstLog]\nUnInstLog={LOG}\n"
           "[Files_DLL]\nfile000=netlnk32.dll;\\disk1\n");
    Run();
    EXPECT_EQ("net", ReadFileBytes(media_.Dest("netlnk32.dll")));
    EXPECT_EQ("1.0.0", ReadRegString(HKEY_LOCAL_MACHINE,
                                     "Software\\Vorstmark\\NETLNK32",
                                     "Version"));
    DWORD registered = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE,
                             "Software\\Vorstmark\\NETLNK32\\Application",
                             "CaptureAgent", &registered));
    EXPECT_EQ(1u, registered);
}

TEST_F(InstallRun, NewerInstalledLibraryIsKeptWithItsVersion)
{
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Vorstmark\\NETLNK32",
                   "Version", "2.10.0");
    Run();
    EXPECT_FALSE(FileExists(system_ + "\\netlnk32.dll"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_DLL", "FILE00"));
    EXPECT_EQ("<missing>", media_.LogValue("UNINSTALL_Files_DLL", "PATH"));
    EXPECT_EQ("2.10.0", ReadRegString(HKEY_LOCAL_MACHINE,
                                      "Software\\Vorstmark\\NETLNK32",
                                      "Version"));
    DWORD registered = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE,
                             "Software\\Vorstmark\\NETLNK32\\Application",
                             "CaptureAgent", &registered));
}

TEST_F(InstallRun, EqualOrOlderInstalledLibraryIsReplaced)
{
    for (const char *installed : {"2.1.0", "2.0.9", "", "garbage"}) {
        SCOPED_TRACE(installed);
        RemoveTree(system_);
        WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Vorstmark\\NETLNK32",
                       "Version", installed);
        Run();
        EXPECT_EQ("net", ReadFileBytes(system_ + "\\netlnk32.dll"));
        EXPECT_EQ("2.1.0", ReadRegString(HKEY_LOCAL_MACHINE,
                                         "Software\\Vorstmark\\NETLNK32",
                                         "Version"));
    }
}

TEST_F(InstallRun, OverlongInstalledVersionCountsAsNone)
{
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Vorstmark\\NETLNK32",
                   "Version", "99." + std::string(200, '9'));
    Run();
    EXPECT_EQ("net", ReadFileBytes(system_ + "\\netlnk32.dll"));
}

TEST_F(InstallRun, WithoutTheCommonFlagTheComponentIsSkippedButItsShortcutsAreNot)
{
    g_installCommonFiles = 0;
    Run();
    EXPECT_FALSE(FileExists(media_.Dest("common\\common.dll")));
    EXPECT_FALSE(FileExists(windows_ + "\\lang.txt"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_Common", "REGPATH00"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_Common", "FILE00"));
    EXPECT_EQ("<missing>", media_.LogValue("Paths_Common", "PATH00"));
    ASSERT_GE(progman_.commands.size(), 4u);
    EXPECT_EQ(Fill("[AddItem(\"{DEST}\\common\\common.dll\" ,\"Common Tool\")]"),
              progman_.commands[1]);
    EXPECT_EQ(Fill("[AddItem(\"{DEST}\\common\\common.dll\" ,\"Common Agent\")]"),
              progman_.commands[3]);
}

TEST_F(InstallRun, OldProductKeyIsDeletedBeforeItIsWrittenAgain)
{
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\CaptureKit\\FileAgent",
                   "Stale", "x");
    Run();
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE,
                            "Software\\Veltrane\\CaptureKit\\FileAgent", "Stale"));
    EXPECT_EQ("3.2.1",
              ReadRegString(HKEY_LOCAL_MACHINE,
                            "Software\\Veltrane\\CaptureKit\\FileAgent", "Version"));
}

TEST_F(InstallRun, EmptyUninstallKeyNameWritesNoUninstallValues)
{
    Script("[UnInstLog]\nUnInstLog={LOG}\nDispName=Name\nExeFile=x.exe\n"
           "[Files_File]\nfile000=readme.txt\n");
    Run();
    EXPECT_EQ("", DumpRegistry(kUninstall));
    EXPECT_EQ("", media_.LogValue("UnInstKey", "UnInstKey_File"));
}

TEST_F(InstallRun, NineHundredNinetyNineEntries)
{
    std::string script = "[UnInstLog]\nUnInstLog={LOG}\n[Files_File]\n";
    for (int i = 0; i <= 999; i++) {
        char line[64];
        snprintf(line, sizeof(line), "file%03d=f%03d.txt;\\many\n", i, i);
        script += line;
        char name[32];
        snprintf(name, sizeof(name), "many\\f%03d.txt", i);
        media_.WriteSource(name, "x");
    }
    Script(script);
    Run();
    EXPECT_EQ(0, failures_.count);
    EXPECT_TRUE(FileExists(media_.Dest("f998.txt")));
    EXPECT_FALSE(FileExists(media_.Dest("f999.txt")));
    EXPECT_EQ(media_.Dest("f998.txt"), media_.LogValue("Files_File", "FILE998"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_File", "FILE999"));
}

TEST_F(InstallRun, ProgressDialogTakesItsCaptionFromTheCatalog)
{
    WriteFileBytes(g_catalogPath,
                   "[static]\nCOPYING=Copying files\\nplease wait\n");
    HWND dialog = CreateDialogParamA(g_instance,
                                     MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS),
                                     NULL, InstallProgressProc, 0);
    ASSERT_NE((HWND)NULL, dialog);
    char text[256];
    GetDlgItemTextA(dialog, IDC_PROGRESS_CAPTION, text, sizeof(text));
    EXPECT_STREQ("Copying files \nplease wait", text);
    char className[64];
    GetClassNameA(GetDlgItem(dialog, IDC_PROGRESS_BAR), className,
                  sizeof(className));
    EXPECT_STREQ("msctls_progress32", className);
    // Destroyed before its timer can run the installation.
    DestroyWindow(dialog);
    WritePrivateProfileStringA(NULL, NULL, NULL, g_catalogPath);
}

TEST_F(InstallRun, ProgressDialogRunsOnceAndReportsFailedCopies)
{
    Script("[UnInstLog]\nUnInstLog={LOG}\n"
           "[Files_File]\nfile000=readme.txt\nfile001=missing.txt\n"
           "file002=gone.txt\n"
           // Program Manager's syntax cannot carry these: the one warning
           // names them as well.
           "[ShortCut_File]\nIcon000=Say \"hi\";readme.txt\n"
           "Icon001=Tool;readme.txt;C:\\;-x (1)\n");
    // Ignore for each of the two files, then the closing warning.
    MessageBoxAnswerer boxes({IDIGNORE, IDIGNORE, IDOK});
    INT_PTR result = DialogBoxParamA(g_instance,
                                     MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS),
                                     NULL, InstallProgressProc, 0);
    EXPECT_EQ(1, result);
    EXPECT_EQ("readme", ReadFileBytes(media_.Dest("readme.txt")));
    ASSERT_EQ(3u, boxes.seen().size());
    // The catalog lacks the keys: the built-in Japanese texts (Shift-JIS
    // in the program), the source on the medium (after "コピー元: "), its
    // target (after "コピー先: ") and the reason on lines of their own.
    EXPECT_EQ(kSetupShiftJis, boxes.seen()[0].caption);
    EXPECT_NE(std::string::npos,
              boxes.seen()[0].text.find("\n\x83R\x83s\x81[\x8c\xb3: " +
                                        media_.media() + "\\missing.txt\n"))
        << boxes.seen()[0].text;
    EXPECT_NE(std::string::npos,
              boxes.seen()[0].text.find("\n\x83R\x83s\x81[\x90\xe6: " +
                                        media_.Dest("missing.txt") + "\n"))
        << boxes.seen()[0].text;
    EXPECT_GT(boxes.seen()[0].text.size(),
              boxes.seen()[0].text.rfind('\n') + 1);
    EXPECT_NE(std::string::npos,
              boxes.seen()[1].text.find(media_.Dest("gone.txt")));
    EXPECT_EQ("INSTALL SYSTEM INFO.", boxes.seen()[2].caption);
    EXPECT_EQ("2 file(s) could not be copied.\nThe first one: " +
                  media_.Dest("missing.txt") +
                  "\n2 shortcut(s) could not be registered: Say \"hi\", Tool",
              boxes.seen()[2].text);
    EXPECT_GT(GetLastInstallRunTime(), 0.0);
}

TEST_F(InstallRun, ProgressDialogAbortRollsBackAndEndsSetup)
{
    MakeFolders(media_.destination());
    WriteFileBytes(media_.Dest("readme.txt"), "old readme");
    std::string before = Registry();
    Script("[UnInstLog]\nUnInstLog={LOG}\nRegistKey=Kit\n"
           "[Files_File]\nfile000=readme.txt\nfile001=missing.txt\n");
    ForgetQuit();
    MessageBoxAnswerer boxes({IDABORT, IDOK});
    INT_PTR result = DialogBoxParamA(g_instance,
                                     MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS),
                                     NULL, InstallProgressProc, 0);
    EXPECT_EQ(0, result);
    int code = -1;
    EXPECT_TRUE(QuitWasPosted(&code));
    EXPECT_EQ(0, code);
    ForgetQuit();
    ASSERT_EQ(2u, boxes.seen().size());
    EXPECT_EQ(kSetupShiftJis, boxes.seen()[1].caption);
    EXPECT_EQ(0u, boxes.seen()[1].text.find(kSetupShiftJis));
    EXPECT_EQ("old readme", ReadFileBytes(media_.Dest("readme.txt")));
    EXPECT_FALSE(FileExists(media_.logPath()));
    EXPECT_EQ(before, Registry());
}

TEST_F(InstallRun, RetryCopiesTheFileOnceItIsBack)
{
    Script("[UnInstLog]\nUnInstLog={LOG}\n"
           "[Files_File]\nfile000=readme.txt\nfile001=late.txt\n");
    struct Asked {
        InstallMedia *media;
        int count;
        std::string source, target;
    } asked = {&media_, 0, "", ""};
    auto policy = [](void *context, const char *source, const char *target,
                     DWORD) {
        Asked *state = (Asked *)context;
        state->count++;
        state->source = source;
        state->target = target;
        state->media->WriteSource("late.txt", "late");
        return COPY_FAILURE_RETRY;
    };
    RunQuestions questions = {policy, NULL, &asked};
    EXPECT_EQ(INSTALL_COMMITTED,
              RunInstallation(NULL, NULL, &failures_, &questions));
    EXPECT_EQ(1, asked.count);
    // The missing file is named where it was looked for, and where it went.
    EXPECT_EQ(0, lstrcmpiA((media_.media() + "\\late.txt").c_str(),
                           asked.source.c_str()))
        << asked.source;
    EXPECT_EQ(media_.Dest("late.txt"), asked.target);
    EXPECT_EQ(0, failures_.count);
    EXPECT_EQ("late", ReadFileBytes(media_.Dest("late.txt")));
}

TEST_F(InstallRun, ShiftJisDestinationAndGroup)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Shift-JIS code page";
    // "ソフト" and "表示": first bytes of each end in 0x5C.
    const std::string so = "\x83\x5C\x83\x74\x83\x67";
    const std::string hyo = "\x95\x5C\x8E\xA6";
    CopyText(g_destinationFolder, sizeof(g_destinationFolder),
             (media_.destination() + "\\" + so).c_str());
    CopyText(g_programGroup, sizeof(g_programGroup), hyo.c_str());
    Script("[UnInstLog]\nUnInstLog={LOG}\nRegistKey=K\nDispIcon=" + hyo +
           ".ico\n[Files_File]\nfile000=readme.txt\n"
           "[ShortCut_File]\nIcon000=" + hyo + ";readme.txt\n");
    Run();
    std::string dest = media_.destination() + "\\" + so;
    EXPECT_EQ("readme", ReadFileBytes(dest + "\\readme.txt"));
    EXPECT_EQ(dest + "\\00", media_.LogValue("Extra_File", "Folder00"));
    EXPECT_EQ(media_.programs() + "\\" + hyo + "\\" + hyo + ".lnk",
              media_.LogValue("Files_File", "FILE01"));
    EXPECT_EQ(dest + "\\" + hyo + ".ico",
              ReadRegString(HKEY_LOCAL_MACHINE,
                            (std::string(kUninstall) + "\\K").c_str(),
                            "DisplayIcon"));
    EXPECT_EQ("[AddItem(\"" + dest + "\\readme.txt\" ,\"" + hyo + "\")]",
              progman_.commands.at(3));
}
