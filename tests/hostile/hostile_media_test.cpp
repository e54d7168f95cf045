// setup.exe and the engine-only program on hostile media generated here:
// overlong values in every key that is read, long and broken lists,
// missing, empty and garbage files and pictures. Whatever the media hold,
// the run ends with exit code 0, without a crash or hang, and what it
// installs or refuses is checked afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "tests/hostile/hostile_support.h"
#include "tests/support/test_support.h"

namespace {

const char kKeyName[] = "HostileFileAgent";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HostileFileAgent";
const size_t kLengths[] = {300, 1000, 5000};

bool IsPrefix(const std::string &part, const std::string &whole)
{
    return whole.compare(0, part.size(), part) == 0 && part.size() <= whole.size();
}

class HostileMedia : public testing::Test {
protected:
    void SetUp() override
    {
        DisableCrashDialog();
        Clean();
        media_ = scratch_.Join("media");
        destination_ = scratch_.Join("Installed\\FileAgent");
        log_ = scratch_.Join("uninst.log");
        catalog_ = BaseCatalog();
        languages_ = BaseLanguageList();
        script_ = BaseScript(log_, kKeyName);
        plan_.destination = destination_;
        plan_.group = "Hostile Typed";
    }
    void TearDown() override { Clean(); }

    void Clean()
    {
        std::vector<std::string> keys = {kKeyName};
        for (const std::string &key : UninstallKeysStartingWith("hostile"))
            keys.push_back(key);
        CleanInstallRegistry(keys);
        for (const char *group : {"Hostile Typed", "Hostile Proposed",
                                  "Hostile Engine"})
            RemoveGroupFolder(group);
    }

    // The media with the current catalog, language list and script; the
    // per-language files lie in media\eng.
    void WriteMedia()
    {
        RemoveTree(media_);
        MakeFolders(media_ + "\\eng");
        WriteProgramAndProduct(media_);
        WriteFileBytes(media_ + "\\language.ini", languages_.Text());
        WriteFileBytes(media_ + "\\eng\\message.ini", catalog_.Text());
        WriteFileBytes(media_ + "\\eng\\license.txt", "licence\r\n");
        WriteFileBytes(media_ + "\\eng\\copy_ns.ini", script_.Text());
    }

    // code: the walked run's exit code, 0 for installed.
    void ExpectEndedCleanly(const RoadResult &road, int code = 0)
    {
        EXPECT_EQ("", road.problem);
        EXPECT_EQ(code, road.exitCode);
    }

    void ExpectProductInstalled()
    {
        EXPECT_EQ("readme.txt", ReadFileBytes(destination_ + "\\readme.txt"));
        EXPECT_TRUE(FileExists(destination_ + "\\agent.exe"));
        EXPECT_EQ(destination_,
                  ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
    }

    ScratchDir scratch_;
    std::string media_, destination_, log_;
    Ini catalog_, languages_, script_;
    RoadPlan plan_;
};

// Every catalog key, every language list key and the script keys that
// the wizard reads hold an overlong value; the road still installs, and
// every text shown is a cut of its value, not garbage. A second run meets
// the installed product and refuses with the overlong refusal text.
TEST_F(HostileMedia, OverlongValuesOnTheWholeRoad)
{
    for (size_t length : kLengths) {
        SCOPED_TRACE(length);
        std::string text = LongText(length);
        catalog_.SetAll(text);
        for (const char *key : {"Standard", "BackGround", "Company"})
            catalog_.Set("FONT", key,
                         "0,13,NORMAL,ANSI,DEFAULT,SWISS,FALSE,FALSE," + text);
        for (const char *key : {"Tovrin", "Tovrin00", "Tovrin02", "default",
                                "directory", "startmenu"})
            catalog_.Set("bmp", key, text);
        languages_.Set("Language", "Lang01", text)
            .Set("Language", "Lang02", "Other;" + text)
            .Set("Language", "Default", text);
        // More entries than the language table holds (64), many of them
        // separators only.
        for (int i = 3; i < 100; i++) {
            char key[16];
            snprintf(key, sizeof(key), "Lang%02d", i);
            languages_.Set("Language", key, i % 2 ? ";" : ";;;" + text);
        }
        script_.Set("Application", "Version", LongVersion(length))
            .Set("Directry", "DstDirectry", text)
            .Set("ShortCut_File", "group", text)
            .Set("Execute", "InstExecFile", text);
        WriteMedia();
        plan_.languageName = "English";
        plan_.askQuitOnWelcome = true;
        plan_.tryBadFolderFirst = true;

        RoadResult road = WalkRoad(media_, plan_);
        ExpectEndedCleanly(road);
        EXPECT_TRUE(road.finished);
        EXPECT_EQ(0u, UnexpectedBoxes(road.boxes).size()) << road.boxes[0];
        ASSERT_EQ(64u, road.languageEntries.size());
        for (const std::string &entry : road.languageEntries)
            EXPECT_LE(entry.size(), 31u);
        bool cutName = false;   // the list is sorted: find the long one
        for (const std::string &entry : road.languageEntries)
            cutName |= !entry.empty() && IsPrefix(entry, text);
        EXPECT_TRUE(cutName);
        for (const std::string *shown :
             {&road.frameCaption, &road.welcomeHeading, &road.quitText,
              &road.inputErrorText, &road.proposedGroup}) {
            EXPECT_FALSE(shown->empty());
            EXPECT_TRUE(IsPrefix(*shown, text)) << *shown;
        }
        ExpectProductInstalled();
        std::string version =
            ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version");
        EXPECT_TRUE(IsPrefix(version, LongVersion(length))) << version;
        EXPECT_LT(version.size(), 64u);

        // The refusal comes up over the welcome page, so this walk must
        // not press CANCEL there: the two boxes would race.
        RoadPlan refusalPlan;
        refusalPlan.languageName = plan_.languageName;
        RoadResult again = WalkRoad(media_, refusalPlan);
        ExpectEndedCleanly(again, 3);   // refused: already installed
        EXPECT_FALSE(again.finished);
        ASSERT_EQ(1u, again.boxes.size());
        // "caption: text", both cuts of the overlong catalog values.
        EXPECT_EQ(0u, again.boxes[0].find("hostile0000"));
        EXPECT_NE(std::string::npos, again.boxes[0].find(": hostile0000"));
        Clean();
        RemoveTree(destination_);
        DeleteFileA(log_.c_str());
    }
}

// Every key the engine reads from the script holds an overlong value,
// beside entries that are still valid: those are installed, the others
// are reported as not copied, and what is logged and registered is whole
// or a cut of its value.
TEST_F(HostileMedia, OverlongScriptValuesInTheEngine)
{
    for (size_t length : kLengths) {
        SCOPED_TRACE(length);
        std::string text = LongText(length);
        std::string digits(length, '9');
        script_.Set("Application", "Version", LongVersion(length))
            .Set("Directry", "DstDirectry", text)
            .Set("Files_DLL", "Version", LongVersion(length))
            .Set("Files_DLL", "AppName", text)
            .Set("Files_DLL", "file001", text)
            .Set("Files_File", "file002", "readme.txt;" + text)
            .Set("Files_File", "file003", "readme.txt;\\product\\app;" + text)
            .Set("Files_File", "file004", text + ";\\product\\app")
            .Set("Files_File", "TotalFiles", digits)
            .Set("Files_File", "CountStart", digits)
            .Set("Files_Common", "SectionFiles", digits)
            .Set("Files_Common", "file001", "common.txt;\\product\\app;" + text)
            .Set("ShortCut_File", "group", text)
            .Set("ShortCut_File", "Icon001", text)
            .Set("ShortCut_File", "Icon002", "Title;" + text)
            .Set("ShortCut_File", "Icon003", "Title;agent.exe;" + text)
            .Set("ShortCut_Common", "Icon000", text)
            .Set("StartUp_File", "Icon000", "hostile" + text)
            .Set("Execute", "InstExecFile", text)
            .Set("UnInstLog", "RegistKey", "hostile" + text)
            .Set("UnInstLog", "DispName", text)
            .Set("UnInstLog", "ExeFile", text)
            .Set("UnInstLog", "DispIcon", text);
        WriteMedia();
        std::vector<std::string> boxes;
        int code = RunEngine(scratch_.path(),
                             "--media \"" + media_ + "\" --lang eng --dest \"" +
                                 destination_ + "\" --common 1",
                             &boxes);
        EXPECT_EQ(0, code);
        ExpectProductInstalled();
        EXPECT_EQ("shared.dll", ReadFileBytes(destination_ + "\\Shared\\shared.dll"));
        EXPECT_EQ("common.txt", ReadFileBytes(destination_ + "\\Common\\common.txt"));
        EXPECT_TRUE(CopyFailureReported(boxes));

        for (const std::string &logged : SectionValues(log_, "Files_File", "FILE")) {
            EXPECT_LT(logged.size(), 260u);
            EXPECT_TRUE(FileExists(logged) ||
                        logged.find(".lnk") != std::string::npos)
                << logged;
        }
        for (const std::string &key : UninstallKeysStartingWith("hostile")) {
            EXPECT_TRUE(IsPrefix(key, "hostile" + text)) << key;
            EXPECT_LT(key.size(), 32u);
            std::string path =
                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key;
            std::string name =
                ReadRegString(HKEY_LOCAL_MACHINE, path.c_str(), "DisplayName");
            EXPECT_TRUE(IsPrefix(name, text)) << name;
            EXPECT_LT(name.size(), 64u);
        }
        Clean();
        RemoveTree(destination_);
        DeleteFileA(log_.c_str());
    }
}

// An overlong log path names no log; nothing is written where a cut of
// it would point.
TEST_F(HostileMedia, OverlongLogPathKeepsNoLog)
{
    for (size_t length : kLengths) {
        SCOPED_TRACE(length);
        std::string logPath = scratch_.Join("logs\\") + LongText(length);
        MakeFolders(scratch_.Join("logs"));
        script_.Set("UnInstLog", "UnInstLog", logPath);
        WriteMedia();
        std::vector<std::string> boxes;
        int code = RunEngine(scratch_.path(),
                             "--media \"" + media_ + "\" --lang eng --dest \"" +
                                 destination_ + "\" --group \"Hostile Engine\"",
                             &boxes);
        EXPECT_EQ(0, code);
        EXPECT_EQ(0u, UnexpectedBoxes(boxes).size()) << boxes[0];
        ExpectProductInstalled();
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(scratch_.Join("logs\\*").c_str(), &found);
        int files = 0;
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    files++;
                    ADD_FAILURE() << "a log at a cut path: " << found.cFileName;
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        EXPECT_EQ(0, files);
        Clean();
        RemoveTree(destination_);
    }
}

// 999 entries are installed and logged; a thousandth is not read.
TEST_F(HostileMedia, ListOf999Entries)
{
    MakeFolders(media_);
    for (int i = 0; i < 1000; i++) {
        char key[16], value[64];
        snprintf(key, sizeof(key), "file%03d", i);
        snprintf(value, sizeof(value), "f%03d.txt;\\product\\many", i);
        script_.Set("Files_File", key, value);
        snprintf(key, sizeof(key), "Icon%03d", i);
        snprintf(value, sizeof(value), "Item %03d;f%03d.txt", i, i);
        script_.Set("StartUp_DLL", key, value);
    }
    WriteMedia();
    MakeFolders(media_ + "\\product\\many");
    for (int i = 0; i < 1000; i++) {
        char name[16];
        snprintf(name, sizeof(name), "f%03d.txt", i);
        WriteFileBytes(media_ + "\\product\\many\\" + name, name);
    }
    std::vector<std::string> boxes;
    int code = RunEngine(scratch_.path(),
                         "--media \"" + media_ + "\" --lang eng --dest \"" +
                             destination_ + "\" --group \"Hostile Engine\"",
                         &boxes, 300000);
    EXPECT_EQ(0, code);
    for (const std::string &box : UnexpectedBoxes(boxes))
        ADD_FAILURE() << "box: " << box;
    EXPECT_EQ("f998.txt", ReadFileBytes(destination_ + "\\f998.txt"));
    EXPECT_FALSE(FileExists(destination_ + "\\f999.txt"));
    std::vector<std::string> files = SectionValues(log_, "Files_File", "FILE");
    // 999 files and the group's one shortcut.
    EXPECT_EQ(1000u, files.size());
    std::vector<std::string> startup = SectionValues(log_, "Files_DLL", "FILE");
    // The library, and 999 startup shortcut files recorded (not made).
    EXPECT_EQ(1000u, startup.size());
}

// Gaps end a list unless SectionFiles reaches past them; a SectionFiles
// beyond the entries present and entries of separators only install
// nothing of their own, and the unusable ones are reported.
TEST_F(HostileMedia, GapsCountsAndSeparatorOnlyEntries)
{
    script_.Set("Files_DLL", "file002", "gap.dll;\\product\\app;\\Shared")
        .Set("Files_File", "SectionFiles", "40")
        .Set("Files_File", "file002", ";")
        .Set("Files_File", "file003", ";;")
        .Set("Files_File", "file004", ";;;;;;;;;;;;")
        .Set("Files_File", "file005", "\\")
        .Set("Files_File", "file006", "\\;\\;\\")
        .Set("Files_File", "file007", "")
        .Set("Files_File", "file009", "after.txt;\\product\\app")
        .Set("Files_Common", "SectionFiles", "100000")
        .Set("Files_Common", "TotalFiles", "-5")
        .Set("Files_Common", "CountStart", "70000")
        .Set("ShortCut_File", "Icon001", ";")
        .Set("ShortCut_File", "Icon002", ";;;")
        .Set("ShortCut_File", "Icon003", "\\;\\;\\;\\")
        .Set("ShortCut_File", "Icon005", "Beyond Gap;agent.exe")
        .Set("StartUp_File", "Icon000", ";;")
        .Set("UnInstLog", "DispIcon", "\\;\\");
    WriteMedia();
    WriteFileBytes(media_ + "\\product\\app\\gap.dll", "gap");
    WriteFileBytes(media_ + "\\product\\app\\after.txt", "after");
    std::vector<std::string> boxes;
    int code = RunEngine(scratch_.path(),
                         "--media \"" + media_ + "\" --lang eng --dest \"" +
                             destination_ + "\" --group \"Hostile Engine\" "
                             "--common 1",
                         &boxes);
    EXPECT_EQ(0, code);
    ExpectProductInstalled();
    EXPECT_TRUE(FileExists(destination_ + "\\Shared\\shared.dll"));
    EXPECT_FALSE(FileExists(destination_ + "\\Shared\\gap.dll"));
    EXPECT_EQ("after", ReadFileBytes(destination_ + "\\after.txt"));
    EXPECT_EQ("common.txt", ReadFileBytes(destination_ + "\\Common\\common.txt"));
    EXPECT_TRUE(CopyFailureReported(boxes));
    for (const std::string &logged : SectionValues(log_, "Files_File", "FILE")) {
        EXPECT_NE(destination_, logged);
        EXPECT_NE(destination_ + "\\", logged);
        EXPECT_TRUE(FileExists(logged) ||
                    logged.find(".lnk") != std::string::npos)
            << logged;
    }
    std::string programs = ReadRegString(
        HKEY_CURRENT_USER,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Programs");
    EXPECT_TRUE(FileExists(programs + "\\Hostile Engine\\Hostile Agent.lnk"));
    EXPECT_FALSE(FileExists(programs + "\\Hostile Engine\\Beyond Gap.lnk"));
}

// Values of separators only wherever the wizard and the engine read a
// text, a font, a version, a folder or a group.
TEST_F(HostileMedia, SeparatorOnlyValuesOnTheWholeRoad)
{
    catalog_.SetAll(";;\\\\,,");
    for (const char *key : {"Standard", "BackGround", "Company"})
        catalog_.Set("FONT", key, ",,,,,,,,,,,,");
    catalog_.Set("bmp", "Tovrin", "\\");
    languages_.Set("Language", "Lang01", ";").Set("Language", "Lang02", ";;;;");
    script_.Set("Application", "Version", "....")
        .Set("Directry", "DstDirectry", "\\\\\\")
        .Set("ShortCut_File", "group", "\\")
        .Set("Files_DLL", "Version", ".")
        .Set("UnInstLog", "ExeFile", "\\;")
        .Set("UnInstLog", "DispName", ";");
    WriteMedia();
    plan_.languageName = "English";
    RoadResult road = WalkRoad(media_, plan_);
    ExpectEndedCleanly(road);
    EXPECT_TRUE(road.finished);
    EXPECT_EQ("\\", road.proposedGroup);
    ExpectProductInstalled();
    EXPECT_EQ("....", ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version"));
    EXPECT_EQ(";", ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
}

// Missing files: no language list and no language folder (so neither
// catalog nor script), then only the catalog missing, then only the
// script. Pictures are missing throughout.
TEST_F(HostileMedia, MissingFiles)
{
    WriteMedia();
    DeleteFileA((media_ + "\\language.ini").c_str());
    RoadResult bare = WalkRoad(media_, plan_);
    ExpectEndedCleanly(bare);
    EXPECT_TRUE(bare.finished);
    EXPECT_FALSE(bare.sawLanguageDialog);
    EXPECT_EQ("Fail", bare.proposedGroup);
    EXPECT_EQ("0.0.0", ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version"));
    EXPECT_EQ(destination_,
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
    EXPECT_FALSE(FileExists(log_));
    Clean();

    WriteMedia();
    DeleteFileA((media_ + "\\eng\\message.ini").c_str());
    RoadResult noCatalog = WalkRoad(media_, plan_);
    ExpectEndedCleanly(noCatalog);
    EXPECT_TRUE(noCatalog.finished);
    EXPECT_EQ("", noCatalog.welcomeHeading);
    ExpectProductInstalled();
    EXPECT_EQ("Hostile FileAgent",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
    Clean();
    RemoveTree(destination_);
    DeleteFileA(log_.c_str());

    WriteMedia();
    DeleteFileA((media_ + "\\eng\\copy_ns.ini").c_str());
    RoadResult noScript = WalkRoad(media_, plan_);
    ExpectEndedCleanly(noScript);
    EXPECT_TRUE(noScript.finished);
    EXPECT_EQ("Text ADMINWEL_01", noScript.welcomeHeading);
    EXPECT_FALSE(FileExists(destination_ + "\\readme.txt"));
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
}

// Empty files, then binary garbage, in place of every INI file and every
// picture; then a catalog whose every value is binary garbage.
TEST_F(HostileMedia, EmptyAndGarbageFiles)
{
    const char *pictures[] = {"default.bmp", "directory.bmp", "startmenu.bmp"};
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round == 0 ? "empty" : "garbage");
        WriteMedia();
        // An unreadable language list gives no language code, so the
        // catalog and script are looked for beside setup.exe.
        const char *files[] = {"language.ini", "message.ini", "copy_ns.ini",
                               "license.txt", "eng\\message.ini",
                               "eng\\copy_ns.ini"};
        unsigned seed = 1;
        for (const char *name : files)
            WriteFileBytes(media_ + "\\" + name,
                           round == 0 ? "" : Garbage(65536, seed++));
        for (const char *name : pictures)
            WriteFileBytes(media_ + "\\" + name,
                           round == 0 ? "" : Garbage(20000, seed++));
        RoadResult road = WalkRoad(media_, plan_);
        ExpectEndedCleanly(road);
        EXPECT_TRUE(road.finished);
        EXPECT_EQ(destination_,
                  ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
        Clean();
        RemoveTree(destination_);
    }

    catalog_.SetAll(Garbage(2000, 7, true));
    script_.Set("Application", "Version", Garbage(300, 8, true))
        .Set("ShortCut_File", "group", Garbage(300, 9, true));
    WriteMedia();
    RoadResult road = WalkRoad(media_, plan_);
    ExpectEndedCleanly(road);
    // The utility window class is garbage too: it may match no window,
    // or by chance refuse; either way the run ends cleanly.
    if (road.finished)
        ExpectProductInstalled();
}

// Pictures that lie about themselves: truncated pixels, a header cut
// short, huge or negative sizes, offsets past the end, odd bit counts,
// colour counts and compression. Each page shows one of them.
TEST_F(HostileMedia, MalformedPictures)
{
    std::string good = Bitmap8(120, 220);
    auto patched = [&](size_t at, unsigned value) {
        std::string bytes = good;
        for (int i = 0; i < 4; i++)
            bytes[at + i] = (char)((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    std::vector<std::vector<std::string>> rounds = {
        {good.substr(0, good.size() / 2), patched(18, 100000),
         patched(10, 0x7FFFFFF0), patched(46, 0x7FFFFFFF)},
        {good.substr(0, 10), patched(22, 0x80000000u), patched(14, 0xFFFFFFFFu),
         patched(30, 1)},
        {good.substr(0, 60), patched(28, 7), patched(28, 32 | (3u << 16)),
         patched(18, 0)},
    };
    for (size_t round = 0; round < rounds.size(); round++) {
        SCOPED_TRACE(round);
        const char *keys[] = {"Tovrin00", "Tovrin02", "Tovrin03", "Tovrin04"};
        WriteMedia();
        for (int i = 0; i < 4; i++) {
            std::string name = std::string("p") + keys[i] + ".bmp";
            catalog_.Set("bmp", keys[i], name);
            WriteFileBytes(media_ + "\\" + name, rounds[round][i]);
        }
        WriteFileBytes(media_ + "\\eng\\message.ini", catalog_.Text());
        RoadResult road = WalkRoad(media_, plan_);
        ExpectEndedCleanly(road);
        EXPECT_TRUE(road.finished);
        EXPECT_EQ(0u, UnexpectedBoxes(road.boxes).size()) << road.boxes[0];
        ExpectProductInstalled();
        Clean();
        RemoveTree(destination_);
        DeleteFileA(log_.c_str());
    }
}


// Every file and folder below folder (not folder itself), full paths.
// Whether each path is, in any letter case, a value of the log's
// sections under a key with that prefix.
void ExpectLogged(const std::string &log, std::vector<std::string> paths,
                  std::initializer_list<const char *> sections,
                  const char *prefix)
{
    std::vector<std::string> logged;
    for (const char *section : sections)
        for (const std::string &value : SectionValues(log, section, prefix))
            logged.push_back(value);
    for (const std::string &path : paths) {
        bool found = false;
        for (const std::string &value : logged)
            found = found || lstrcmpiA(value.c_str(), path.c_str()) == 0;
        EXPECT_TRUE(found) << path;
    }
}


// An engine ended from outside while it copies (a crash, a power cut)
// leaves nothing on disk that the log does not list: every file, and
// every folder down to those that names with subfolders create.
TEST_F(HostileMedia, ARunEndedMidCopyLeavesNothingUnlogged)
{
    const int kFiles = 600;
    std::vector<std::string> names;
    for (int i = 0; i < kFiles; i++) {
        char key[16], name[64];
        snprintf(key, sizeof(key), "file%03d", i);
        snprintf(name, sizeof(name), i % 50 == 7 ? "d%03d\\e\\f%03d.txt"
                                                 : "f%03d.txt", i, i);
        script_.Set("Files_File", key, std::string(name) + ";\\product\\many");
        names.push_back(name);
    }
    WriteMedia();
    for (const std::string &name : names) {
        std::string source = media_ + "\\product\\many\\" + name;
        MakeFolders(source.substr(0, source.rfind('\\')));
        WriteFileBytes(source, name);
    }
    std::vector<std::string> files, folders;
    RunEngine(scratch_.path(),
              "--media \"" + media_ + "\" --lang eng --dest \"" +
                  destination_ + "\"",
              NULL, 120000, [&] {
                  files.clear();
                  folders.clear();
                  ListTree(destination_, &files, &folders);
                  return files.size() >= 150;
              });
    files.clear();
    folders.clear();
    ListTree(destination_, &files, &folders);
    EXPECT_GE(files.size(), 150u);
    // A copy ended midway leaves its temporary name ("~st00012.tmp"); the
    // journal beside the log names it by its tag, so the rollback finds it.
    std::string journal = ReadFileBytes(log_ + ".jnl");
    std::vector<std::string> placed;
    for (const std::string &file : files) {
        std::string name = file.substr(file.rfind('\\') + 1);
        // The tag is followed by the new file's size and time, or by the
        // path when the source could not be looked at.
        std::string tag = " " + name.substr(0, name.size() - 4);
        if (name.rfind("~st", 0) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0)
            EXPECT_TRUE(journal.find(tag + ",") != std::string::npos ||
                        journal.find(tag + " ") != std::string::npos)
                << file;
        else
            placed.push_back(file);
    }
    ExpectLogged(log_, placed, {"Files_DLL", "Files_File"}, "FILE");
    folders.push_back(destination_);
    ExpectLogged(log_, folders, {"Paths_DLL", "Paths_File"}, "PATH");
}

}  // namespace
