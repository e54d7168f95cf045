// The round trip: setup.exe installs media that ship the uninstaller, then
// "uninstall.exe -s" removes the installation, and drive C: and the
// software keys of HKLM and HKCU are as they were before; a second
// installation is then not refused. One installation serves every check.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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
        const char *shellFolders =
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            const char *name =
                root == HKEY_CURRENT_USER ? "Programs" : "Common Programs";
            std::string programs = ReadRegString(root, shellFolders, name);
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

    EXPECT_EQ(0, Uninstall());
    Snapshot after = TakeSnapshot(scratch_.path());
    EXPECT_EQ("", Difference(before.files, after.files));
    EXPECT_EQ("", Difference(before.machineKeys, after.machineKeys));
    EXPECT_EQ("", Difference(before.userKeys, after.userKeys));

    // Nothing says "already installed" any more.
    EXPECT_EQ("", Install());
    EXPECT_TRUE(FileExists("C:\\Program Files\\RoundTrip\\Kit\\agent.exe"));
    EXPECT_EQ(0, Uninstall());
    EXPECT_FALSE(FileExists("C:\\Program Files\\RoundTrip"));
}

}  // namespace
