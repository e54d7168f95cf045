// Shift-JIS names whose second byte is 0x5C, the backslash, in the
// destination, the group, the shortcut titles, the file names and the
// catalog texts: under code page 932 every one of them must stay whole
// and never be split as a path separator. Skipped under other code pages,
// where those bytes are two characters and the backslash a separator.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/hostile/hostile_support.h"
#include "tests/support/test_support.h"

namespace {

// "ソ" and "表": lead byte, then 0x5C.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";
const char kKeyName[] = "HostileSjisAgent";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

class ShiftJisMedia : public testing::Test {
protected:
    void SetUp() override
    {
        if (GetACP() != 932)
            GTEST_SKIP() << "needs code page 932";
        DisableCrashDialog();
        group_ = "Group" + kHyo + kSo;
        CleanInstallRegistry({kKeyName});
        RemoveGroupFolder(group_);
    }
    void TearDown() override
    {
        if (GetACP() != 932)
            return;
        CleanInstallRegistry({kKeyName});
        RemoveGroupFolder(group_);
    }

    ScratchDir scratch_;
    std::string group_;
};

TEST_F(ShiftJisMedia, TrailByteBackslashNamesOnTheWholeRoad)
{
    std::string media = scratch_.Join("media" + kSo);
    std::string destination = scratch_.Join("Dest" + kHyo + "\\Agent" + kSo);
    std::string log = scratch_.Join("log" + kHyo + ".ini");
    std::string folder = "src" + kSo + kHyo;
    std::string file = "file" + kHyo + ".txt";
    std::string nested = kSo + "\\" + kHyo + kSo + ".txt";
    std::string title = "Title" + kSo;
    std::string heading = "Heading" + kHyo;

    MakeFolders(media + "\\eng");
    WriteProgramAndProduct(media);
    MakeFolders(media + "\\product\\" + folder + "\\" + kSo);
    WriteFileBytes(media + "\\product\\" + folder + "\\" + file, "one");
    WriteFileBytes(media + "\\product\\" + folder + "\\" + nested, "two");

    Ini languages = BaseLanguageList();
    languages.Set("Language", "Lang00", "English" + kHyo + ";eng")
        .Set("Language", "Default", "English" + kHyo);
    Ini catalog = BaseCatalog();
    catalog.Set("static", "ADMINWEL_01", heading)
        .Set("TITLE", "WELCOME", "Welcome" + kSo);
    Ini script = BaseScript(log, kKeyName);
    script.Set("Directry", "DstDirectry", "Product" + kHyo)
        .Set("ShortCut_File", "group", "Proposed" + kSo)
        .Set("Files_File", "file002", file + ";\\product\\" + folder)
        .Set("Files_File", "file003", nested + ";\\product\\" + folder)
        .Set("ShortCut_File", "Icon001", title + ";" + file)
        .Set("UnInstLog", "DispName", "Agent" + kHyo);
    WriteFileBytes(media + "\\language.ini", languages.Text());
    WriteFileBytes(media + "\\eng\\message.ini", catalog.Text());
    WriteFileBytes(media + "\\eng\\copy_ns.ini", script.Text());

    RoadPlan plan;
    plan.destination = destination;
    plan.group = group_;
    plan.languageName = "English" + kHyo;
    RoadResult road = WalkRoad(media, plan);
    EXPECT_EQ("", road.problem);
    EXPECT_EQ(0, road.exitCode);
    EXPECT_TRUE(road.finished);
    EXPECT_EQ(0u, UnexpectedBoxes(road.boxes).size()) << road.boxes[0];
    EXPECT_EQ(heading, road.welcomeHeading);
    EXPECT_EQ("Welcome" + kSo, road.frameCaption);
    EXPECT_EQ("Proposed" + kSo, road.proposedGroup);

    EXPECT_EQ("one", ReadFileBytes(destination + "\\" + file));
    EXPECT_EQ("two", ReadFileBytes(destination + "\\" + nested));
    EXPECT_EQ(destination,
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
    std::vector<std::string> logged = SectionValues(log, "Files_File", "FILE");
    auto has = [&](const std::string &value) {
        for (const std::string &entry : logged)
            if (entry == value)
                return true;
        return false;
    };
    EXPECT_TRUE(has(destination + "\\" + file));
    EXPECT_TRUE(has(destination + "\\" + nested));
    std::vector<std::string> paths = SectionValues(log, "Paths_File", "PATH");
    bool folderLogged = false;
    for (const std::string &path : paths)
        folderLogged |= path == destination + "\\" + kSo;
    EXPECT_TRUE(folderLogged);
    EXPECT_EQ("Agent" + kHyo,
              ReadRegString(HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                            "Uninstall\\HostileSjisAgent",
                            "DisplayName"));
    // The shortcut is recorded under the group whole. Whether Wine's shell
    // then makes it depends on the code page its own process runs in (it
    // converts the commands with that one), so only the record is checked.
    std::string link = "\\" + group_ + "\\" + title + ".lnk";
    bool linkLogged = false;
    for (const std::string &entry : logged)
        linkLogged |= entry.size() > link.size() &&
                      entry.compare(entry.size() - link.size(), link.size(),
                                    link) == 0;
    EXPECT_TRUE(linkLogged);
}

// Values of double-byte characters cut by their buffers: a width can end
// between a lead byte and its trail byte. The run still ends cleanly and
// what is registered is a cut of the value.
TEST_F(ShiftJisMedia, OverlongDoubleByteValuesInTheEngine)
{
    std::string media = scratch_.Join("media");
    std::string destination = scratch_.Join("Dest" + kHyo);
    std::string log = scratch_.Join("uninst.log");
    std::string text;
    while (text.size() < 1000)
        text += kHyo + kSo + "a";
    MakeFolders(media + "\\eng");
    WriteProgramAndProduct(media);
    Ini script = BaseScript(log, kKeyName);
    script.Set("UnInstLog", "DispName", text)
        .Set("Files_DLL", "AppName", text)
        .Set("Files_File", "file002", text + ";\\product\\app")
        .Set("ShortCut_File", "Icon001", text + ";agent.exe")
        .Set("Application", "Version", text);
    WriteFileBytes(media + "\\eng\\copy_ns.ini", script.Text());
    std::vector<std::string> boxes;
    int code = RunEngine(scratch_.path(),
                         "--media \"" + media + "\" --lang eng --dest \"" +
                             destination + "\" --group \"" + group_ + "\"",
                         &boxes);
    EXPECT_EQ(0, code);
    EXPECT_TRUE(FileExists(destination + "\\agent.exe"));
    std::string name = ReadRegString(
        HKEY_LOCAL_MACHINE,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "HostileSjisAgent",
        "DisplayName");
    EXPECT_LT(name.size(), 64u);
    EXPECT_EQ(0, text.compare(0, name.size(), name)) << name;
}

}  // namespace
