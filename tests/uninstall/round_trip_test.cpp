// The round trip: setup.exe installs media that ship the uninstaller, then
// "uninstall.exe -s" removes the installation, and drive C: and the
// software keys of HKLM and HKCU are as they were before; a second
// installation, unattended, is then not refused, opens no window of any
// program, makes the same shortcuts as the clicked one, and is removed as
// cleanly. One installation of each kind serves every check.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/setup_walker.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/test_support.h"

namespace {

const char kLog[] = "C:\\windows\\uninst_rt.log";
const char kUninstaller[] = "C:\\windows\\uninst_rt.exe";

// Every path below folder, without the temporary folders (the tests' own
// scratch folders live there).
std::set<std::string> TreeOf(const std::string &folder)
{
    std::set<std::string> paths;
    ListTree(folder, &paths);
    return paths;
}

struct Snapshot {
    std::set<std::string> files;
    std::set<std::string> machineKeys;
    std::set<std::string> userKeys;
};

Snapshot TakeSnapshot(const std::string &scratch)
{
    Snapshot snapshot;
    snapshot.files = TreeOf("C:");
    snapshot.machineKeys = ExportKeys("HKLM\\Software", scratch + "\\m.reg");
    snapshot.userKeys = ExportKeys("HKCU\\Software", scratch + "\\u.reg");
    return snapshot;
}

std::string Difference(const std::set<std::string> &before,
                       const std::set<std::string> &after)
{
    std::string text;
    for (const std::string &item : after)
        if (!before.count(item))
            text += "  added: " + item.substr(0, 300) + "\n";
    for (const std::string &item : before)
        if (!after.count(item))
            text += "  gone: " + item.substr(0, 300) + "\n";
    return text;
}

// Every visible top-level window of any process, with its class.
BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM windows)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (IsWindowVisible(window))
        (*(std::map<HWND, std::string> *)windows)[window] = name;
    return TRUE;
}

std::map<HWND, std::string> VisibleWindows()
{
    std::map<HWND, std::string> windows;
    EnumWindows(NoteVisibleWindow, (LPARAM)&windows);
    return windows;
}

// Both Programs folders: Wine's Program Manager uses the per-user one
// whatever the all-users flag says; the unattended run follows the flag.
std::vector<std::string> ProgramsFolders()
{
    const char *shellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    return {ReadRegString(HKEY_CURRENT_USER, shellFolders, "Programs"),
            ReadRegString(HKEY_LOCAL_MACHINE, shellFolders, "Common Programs")};
}

// The installation's shortcuts as the shell reads them back.
std::string ReadShortcuts()
{
    std::string read;
    for (const char *name :
         {"RT Group\\RT Agent", "RT Group\\RT Common", "StartUp\\RT Monitor"})
        for (const std::string &programs : ProgramsFolders()) {
            std::string link = programs + "\\" + name + ".lnk";
            if (FileExists(link))
                read += std::string(name) + ": " + ReadShortcut(link) + "\n";
        }
    return read;
}

class RoundTrip : public testing::Test {
protected:
    // What a failed earlier run may have left in the prefix.
    void SetUp() override { RemoveLeftovers(); }
    void TearDown() override { RemoveLeftovers(); }

    void RemoveLeftovers()
    {
        RemoveTree("C:\\Program Files\\RoundTrip");
        DeleteFileA(kLog);
        SetFileAttributesA(kUninstaller, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kUninstaller);
        for (const char *key :
             {"Software\\Veltrane", "Software\\Vorstmark",
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RoundTripKit"})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        for (const std::string &programs : ProgramsFolders()) {
            RemoveTree(programs + "\\RT Group");
            DeleteFileA((programs + "\\StartUp\\RT Monitor.lnk").c_str());
        }
    }

    void WriteMedia()
    {
        media_ = scratch_.Join("media");
        MakeFolders(media_ + "\\eng");
        MakeFolders(media_ + "\\product\\app");
        for (const char *program : {"setup.exe", "ACLPROBE.DLL"})
            CopyFileA((BuildFolder() + "\\" + program).c_str(),
                      (media_ + "\\" + program).c_str(), FALSE);
        CopyFileA((BuildFolder() + "\\uninstall.exe").c_str(),
                  (media_ + "\\product\\app\\uninst_rt.exe").c_str(), FALSE);
        CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
                  (media_ + "\\product\\app\\agent.exe").c_str(), FALSE);
        for (const char *name : {"shared.dll", "common.txt", "readme.txt"})
            WriteFileBytes(media_ + "\\product\\app\\" + name, name);
        WriteFileBytes(media_ + "\\language.ini",
                       "[Language]\r\nLang00=English;eng\r\nDefault=English\r\n");
        WriteFileBytes(media_ + "\\eng\\message.ini",
                       "[TITLE]\r\nTOVRIN=Round Trip\r\n[BUTTON]\r\nNEXT=Next\r\n"
                       "PREV=Back\r\nCANCEL=Cancel\r\nFINISH=Finish\r\n"
                       "[MessageBox]\r\nOTHERBRAND_EXIST=other brand\r\n"
                       "NEWEST_EXIST=already installed\r\nTITLE_ERROR=Error\r\n"
                       "[WINDOW]\r\nWINNAME_F=RoundTripUtility\r\n");
        WriteFileBytes(media_ + "\\eng\\license.txt", "licence\r\n");
        WriteFileBytes(media_ + "\\eng\\copy_ns.ini",
                       "[Application]\r\nVersion=1.2.0\r\n"
                       "[Directry]\r\nDstDirectry=RoundTrip\\Kit\r\n"
                       "[Files_DLL]\r\nVersion=2.0.0\r\nAppName=RoundTripApp\r\n"
                       "file000=shared.dll;\\product\\app;\\Shared\r\n"
                       "[Files_Common]\r\nfile000=common.txt;\\product\\app;\\Common\r\n"
                       "[Files_File]\r\nfile000=agent.exe;\\product\\app\r\n"
                       "file001=readme.txt;\\product\\app;\\doc\\en\r\n"
                       "file002=uninst_rt.exe;\\product\\app;@WINDOWSDIR\r\n"
                       "[ShortCut_Common]\r\nIcon000=RT Common;Common\\common.txt\r\n"
                       "[ShortCut_File]\r\ngroup=RT Group\r\n"
                       "Icon000=RT Agent;agent.exe\r\n"
                       "[StartUp_File]\r\nIcon000=RT Monitor;agent.exe\r\n"
                       "[UnInstLog]\r\nUnInstLog=" + std::string(kLog) + "\r\n"
                       "RegistKey=RoundTripKit\r\nDispName=Round Trip Kit\r\n"
                       "ExeFile=@WINDOWSDIR\\uninst_rt.exe " + kLog + "\r\n"
                       "DispIcon=agent.exe\r\n");
    }

    std::string Install()
    {
        SetupProcess setup;
        if (!setup.Start(media_))
            return "setup.exe did not start";
        RoadChoices choices;
        choices.destination = "C:\\Program Files\\RoundTrip\\Kit";
        choices.group = "RT Group";
        std::vector<std::string> boxes;
        std::string problem = WalkWholeRoad(setup, choices, nullptr, &boxes);
        for (const std::string &box : boxes)
            problem += " [box: " + box + "]";
        if (problem.empty() && setup.WaitForExit() != 0)
            problem = "setup ended with an error";
        return problem;
    }

    // setup.exe -s; every window of any process that appeared meanwhile,
    // or within a second after it (a folder window opens late), is noted.
    int InstallUnattended(std::vector<std::string> *newWindows)
    {
        WriteFileBytes(media_ + "\\answers.ini",
                       "[Setup]\r\nDestination=C:\\Program Files\\RoundTrip\\Kit\r\n"
                       "Group=RT Group\r\n");
        std::map<HWND, std::string> before = VisibleWindows(), seen;
        auto look = [&] {
            for (const auto &window : VisibleWindows())
                if (!before.count(window.first))
                    seen.insert(window);
            return false;
        };
        int code = RunProcessEndedWhen(media_ + "\\setup.exe -s -aanswers.ini",
                                       media_, look);
        for (DWORD end = GetTickCount(); GetTickCount() - end < 1000;
             Sleep(20))
            look();
        for (const auto &window : seen)
            newWindows->push_back(window.second);
        return code;
    }

    // The uninstall entry's command, as "Remove" in the list would run it.
    int Uninstall()
    {
        std::string command = ReadRegString(
            HKEY_LOCAL_MACHINE,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RoundTripKit",
            "UninstallString");
        EXPECT_EQ(std::string(kUninstaller) + " " + kLog, command);
        int code = RunProcess(kUninstaller + std::string(" -s ") + kLog);
        // The uninstaller's own file goes right after it has ended.
        PumpUntil([] { return !FileExists(kUninstaller); }, 20000);
        return code;
    }

    ScratchDir scratch_;
    std::string media_;
};

TEST_F(RoundTrip, UninstallLeavesTheMachineAsItWasAndSetupMayRunAgain)
{
    WriteMedia();
    // The scratch folder is in the temporary folder, which is not listed.
    Snapshot before = TakeSnapshot(scratch_.path());
    ASSERT_EQ("", Install());
    ASSERT_TRUE(FileExists("C:\\Program Files\\RoundTrip\\Kit\\agent.exe"));
    ASSERT_TRUE(FileExists(kUninstaller));
    // The log lists the folders the run made, and not those it found.
    std::string made = ReadFileBytes(kLog);
    made = made.substr(0, made.find("[", made.find("[Created_Folders]") + 1));
    for (const char *folder :
         {"=C:\\Program Files\\RoundTrip\r",
          "=C:\\Program Files\\RoundTrip\\Kit\r",
          "=C:\\Program Files\\RoundTrip\\Kit\\doc\r", "Complete=1"})
        EXPECT_NE(std::string::npos, made.find(folder)) << folder << made;
    EXPECT_EQ(std::string::npos, made.find("=C:\\Program Files\r")) << made;
    std::string clickedShortcuts = ReadShortcuts();
    EXPECT_NE(std::string::npos,
              clickedShortcuts.find("RT Agent: C:\\Program Files\\RoundTrip\\"
                                    "Kit\\agent.exe||\n"))
        << clickedShortcuts;

    EXPECT_EQ(0, Uninstall());
    Snapshot after = TakeSnapshot(scratch_.path());
    EXPECT_EQ("", Difference(before.files, after.files));
    EXPECT_EQ("", Difference(before.machineKeys, after.machineKeys));
    EXPECT_EQ("", Difference(before.userKeys, after.userKeys));

    // Nothing says "already installed" any more. The unattended run shows
    // nothing, and its shortcuts read back as the clicked run's did.
    std::vector<std::string> windows;
    EXPECT_EQ(0, InstallUnattended(&windows));
    EXPECT_EQ(std::vector<std::string>(), windows);
    EXPECT_TRUE(FileExists("C:\\Program Files\\RoundTrip\\Kit\\agent.exe"));
    EXPECT_EQ(clickedShortcuts, ReadShortcuts());
    EXPECT_EQ(0, Uninstall());
    EXPECT_FALSE(FileExists("C:\\Program Files\\RoundTrip"));
    after = TakeSnapshot(scratch_.path());
    EXPECT_EQ("", Difference(before.files, after.files));
    EXPECT_EQ("", Difference(before.machineKeys, after.machineKeys));
    EXPECT_EQ("", Difference(before.userKeys, after.userKeys));
}

}  // namespace
