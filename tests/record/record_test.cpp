// setup.exe -r<file> walked as a person would, then its answer file
// replayed with setup.exe -s on the machine made clean again: the
// registry, the uninstall log and the installed files must equal the
// clicked run's. One clicked installation serves every check.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/hostile/hostile_support.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/test_support.h"

namespace {

const char kKeyName[] = "RecordedAgent";
const char kRoot[] = "C:\\Record Test";
const char kGroup[] = "Record = Kit; One";
const std::string kSo = "\x83\x5C";   // "ソ": lead byte, then 0x5C
const std::string kHyo = "\x95\x5C";  // "表"

class RecordAndReplay : public testing::Test {
protected:
    void SetUp() override
    {
        DisableCrashDialog();
        // Blanks, "=" and ";" always; under code page 932 also characters
        // whose second byte is a backslash. The group stays ASCII: Wine's
        // Program Manager names its folder through its own code page.
        bool japanese = GetACP() == 932;
        destination_ = std::string(kRoot) + "\\Dest = a; b" +
                       (japanese ? " " + kSo + kHyo : "") + "\\Agent";
        recorded_ = scratch_.Join(japanese ? "rec" + kHyo + ".ini" : "rec.ini");
        log_ = scratch_.Join("uninst.ini");
        Clean();
        media_ = scratch_.Join("media");
        MakeFolders(media_ + "\\eng");
        WriteProgramAndProduct(media_);
        WriteFileBytes(media_ + "\\language.ini", BaseLanguageList().Text());
        WriteFileBytes(media_ + "\\eng\\message.ini", BaseCatalog().Text());
        Ini script = BaseScript(log_, kKeyName);
        // Wine's Program Manager refuses a Shift-JIS item path: the
        // shortcut points outside the destination.
        if (japanese)
            script.Set("ShortCut_File", "Icon000",
                       "Recorded Agent;notepad.exe;@WINDOWSDIR");
        WriteFileBytes(media_ + "\\eng\\copy_ns.ini", script.Text());
    }
    void TearDown() override { Clean(); }

    void Clean()
    {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof(windows));
        DeleteFileA((std::string(windows) + "\\hostuninst.exe").c_str());
        DeleteFileA(log_.c_str());
        CleanInstallRegistry({kKeyName});
        RemoveGroupFolder(kGroup);
        RemoveTree(kRoot);
    }

    // What the machine holds, the files below kRoot and the log's bytes.
    MachineSnapshot Installation()
    {
        MachineSnapshot snapshot =
            TakeMachineSnapshot(scratch_.path(), {log_});
        std::set<std::string> installed;
        for (const std::string &path : snapshot.files)
            if (path.find(kRoot) != std::string::npos)
                installed.insert(path);
        snapshot.files = installed;
        return snapshot;
    }

    ScratchDir scratch_;
    std::string media_;
    std::string destination_;
    std::string recorded_;
    std::string log_;
};

TEST_F(RecordAndReplay, ReplayGivesTheClickedInstallation)
{
    MachineSnapshot before = TakeMachineSnapshot(scratch_.path(), {});
    RoadPlan plan;
    plan.destination = destination_;
    plan.group = kGroup;
    plan.arguments = "-r" + recorded_;
    RoadResult road = WalkRoad(media_, plan);
    ASSERT_EQ("", road.problem);
    ASSERT_TRUE(road.finished);
    EXPECT_EQ(0, road.exitCode);
    for (const std::string &box : UnexpectedBoxes(road.boxes))
        ADD_FAILURE() << "box: " << box;

    ASSERT_TRUE(FileExists(recorded_));
    MachineSnapshot clicked = Installation();
    ASSERT_FALSE(clicked.files.empty());

    Clean();
    EXPECT_EQ("", SnapshotDifference(before, TakeMachineSnapshot(
                                                  scratch_.path(), {})))
        << "the machine is not clean before the replay";

    SetupProcess replay;
    ASSERT_TRUE(replay.Start(media_, "-s -a" + recorded_));
    EXPECT_EQ(0, replay.WaitForExit(120000));
    EXPECT_EQ("", SnapshotDifference(clicked, Installation()));
}

}  // namespace
