// The uninstaller against the prefix's real registry, files and Program
// Manager: the sharing rules, what a hostile log cannot make it remove, the
// 95 family's restart renames, and uninstall.exe's exit codes. Product keys
// and scratch folders are wiped before and after each test.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "common/platform.h"
#include "core/log/log_reader.h"
#include "removal/file_remove.h"
#include "tests/support/test_support.h"
#include "uninstall/uninstall_run.h"
#include "uninstall/uninstall_texts.h"

namespace {

// An uninstall entry whose command names the log, as setup writes it.
void WriteEntry(const std::string &key, const std::string &log)
{
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName",
                   "Uninstall Test");
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "UninstallString",
                   "C:\\windows\\ckuninst.exe " + log);
}

const char kNetLibApplications[] = "Software\\Vorstmark\\NETLNK32\\Application";
const char kSendAgentKey[] = "Software\\Veltrane\\CaptureKit\\SendAgent";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninstTest";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void CleanRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veltrane");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vorstmark");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

bool KeyExists(const char *key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != 0)
        return false;
    RegCloseKey(opened);
    return true;
}

// A real shortcut to the Windows folder: the shell reads the shortcuts of
// a group it shows, and a broken one can stall it.
void MakeShortcut(const std::string &path)
{
    CoInitialize(NULL);
    IShellLinkA *link = NULL;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, NULL,
                                     CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     (void **)&link));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    link->SetPath(windows);
    IPersistFile *file = NULL;
    ASSERT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, (void **)&file));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(S_OK, file->Save(wide, TRUE)) << path;
    file->Release();
    link->Release();
    CoUninitialize();
}

// An application registered with the network library.
void RegisterNetLibApp(const char *name)
{
    HKEY key;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, kNetLibApplications, &key);
    DWORD one = 1;
    RegSetValueExA(key, name, 0, REG_DWORD, (BYTE *)&one, sizeof(one));
    RegCloseKey(key);
}

// The uninstaller believes it runs on the 95 family, with its restart
// renames in a scratch wininit.ini, while this lives.
class On95Family {
public:
    explicit On95Family(const std::string &wininit)
    {
        SetWininitPath(wininit.c_str());
        OverridePlatformVersion(0xC0000A04);
    }
    ~On95Family()
    {
        OverridePlatformVersion(0);
        SetWininitPath(NULL);
    }
};

std::string ClosingMessage(const char *language, const RemovalReport *report)
{
    char text[2048];
    FormatClosingMessage(ChooseTexts(language), report, text, sizeof(text));
    return text;
}

// An empty folder at path, whatever was there.
void FreshFolder(const std::string &path)
{
    RemoveTree(path);
    MakeFolders(path);
}

const char kNotes[] =
    "[Uninstaller]\r\nLanguage=eng\r\nNetLibAppName=CaptureAgent\r\n"
    "UtilityWindow=UninstTestUtility\r\n"
    "SharingProductKey=Software\\Veltrane\\CaptureKit\\SendAgent\r\n";

class Uninstall : public testing::Test {
protected:
    void SetUp() override
    {
        CleanRegistry();
        log_ = scratch_.Join("uninst.log");
        dest_ = scratch_.Join("Kit");
        MakeFolders(dest_ + "\\Shared");
        MakeFolders(dest_ + "\\Common");
        MakeFolders(dest_ + "\\doc\\en");
    }
    void TearDown() override { CleanRegistry(); }

    // A log of the three file sections with one file each, the notes
    // (unless withNotes is false) and the product's registry.
    // moreFiles and morePaths are further lines of [Files_File] and
    // [Paths_File].
    void WriteInstallation(bool withNotes = true,
                           const std::string &moreFiles = "",
                           const std::string &morePaths = "")
    {
        for (const char *name : {"Shared\\NET.DLL", "Common\\CK.DLL", "app.exe",
                                 "doc\\en\\read.txt"})
            WriteFileBytes(dest_ + "\\" + name, name);
        SetFileAttributesA((dest_ + "\\Common\\CK.DLL").c_str(),
                           FILE_ATTRIBUTE_READONLY);
        WriteFileBytes(log_,
                       "[Paths_DLL]\r\nPATH00=" + dest_ + "\\Shared\r\n"
                       "[Files_DLL]\r\nFILE00=" + dest_ + "\\Shared\\NET.DLL\r\n"
                       "[Paths_Common]\r\nPATH00=" + dest_ + "\\Common\r\n"
                       "[Files_Common]\r\nFILE00=" + dest_ + "\\Common\\CK.DLL\r\n"
                       "REGPATH00=Software\\Veltrane\\CaptureKit\r\n"
                       "REGPATH01=Software\\Veltrane\r\n"
                       "[Paths_File]\r\nPATH00=" + dest_ + "\r\n" + morePaths +
                       // doc\en is listed, not doc, as the install run does
                       "PATH90=" + dest_ + "\\doc\\en\r\n" +
                       "[UNINSTALL_Files_File]\r\nPATH=" + dest_ + "\r\n"
                       "[Files_File]\r\nFILE00=" + dest_ + "\\app.exe\r\n"
                       "FILE90=" + dest_ + "\\doc\\en\\read.txt\r\n"
                       "REGPATH00=Software\\Veltrane\\CaptureKit\\FileAgent\r\n" +
                       moreFiles +
                       "[UnInstKey]\r\nUnInstKey_File=UninstTest\r\n" +
                       (withNotes ? kNotes : ""));
        WriteRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Version", "1.2.0");
        WriteEntry(kUninstallKey, log_);
        WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Vorstmark\\NETLNK32",
                       "Version", "2.0.0");
        RegisterNetLibApp("CaptureAgent");
    }

    int Remove()
    {
        UninstallNotes notes;
        ReadUninstallNotes(log_.c_str(), &notes);
        return RemoveInstallation(log_.c_str(), &notes, &report_, NULL, NULL);
    }

    bool Exists(const std::string &relative)
    {
        return FileExists(dest_ + (relative.empty() ? "" : "\\" + relative));
    }

    ScratchDir scratch_;
    std::string log_;
    std::string dest_;
    RemovalReport report_;
};

TEST_F(Uninstall, AFullRemovalLeavesNeitherFilesNorKeysNorLog)
{
    WriteInstallation();
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_FALSE(Exists("")) << dest_;
    EXPECT_FALSE(FileExists(log_));
    for (const char *key : {"Software\\Veltrane", "Software\\Vorstmark",
                            kUninstallKey})
        EXPECT_FALSE(KeyExists(key)) << key;
    EXPECT_FALSE(report_.keptNetworkLibrary);
    EXPECT_FALSE(report_.keptCommonFiles);
    EXPECT_EQ(0, report_.keptFolders);
}

TEST_F(Uninstall, SharedPartsStayWhileOthersUseThem)
{
    WriteInstallation();
    RegisterNetLibApp("OtherApp");
    WriteRegString(HKEY_LOCAL_MACHINE, kSendAgentKey, "Version", "1.0.0");

    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_TRUE(Exists("Shared\\NET.DLL"));
    EXPECT_TRUE(Exists("Common\\CK.DLL"));
    EXPECT_FALSE(Exists("app.exe"));
    EXPECT_TRUE(report_.keptNetworkLibrary);
    EXPECT_TRUE(report_.keptCommonFiles);
    DWORD value = 0;
    EXPECT_FALSE(ReadRegDword(HKEY_LOCAL_MACHINE, kNetLibApplications,
                              "CaptureAgent", &value));
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE, kNetLibApplications,
                             "OtherApp", &value));
    EXPECT_EQ("2.0.0", ReadRegString(HKEY_LOCAL_MACHINE,
                                     "Software\\Vorstmark\\NETLNK32", "Version"));
    EXPECT_TRUE(KeyExists(kSendAgentKey));
    EXPECT_FALSE(KeyExists(kFileAgentKey));
    // Shared folders hold shared parts, not the user's files.
    EXPECT_EQ(0, report_.keptFolders);
    std::string text = ClosingMessage("eng", &report_);
    EXPECT_NE(std::string::npos, text.find("network library was kept")) << text;
    EXPECT_NE(std::string::npos, text.find("SendAgent")) << text;
}

TEST_F(Uninstall, ALogWithoutNotesKeepsTheSharedParts)
{
    WriteInstallation(false);
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_TRUE(Exists("Shared\\NET.DLL"));
    EXPECT_TRUE(Exists("Common\\CK.DLL"));
    EXPECT_FALSE(Exists("app.exe"));
    DWORD value = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_LOCAL_MACHINE, kNetLibApplications,
                             "CaptureAgent", &value));
}

TEST_F(Uninstall, TheUsersOwnFileKeepsItsFolderAndIsNamed)
{
    WriteInstallation();
    WriteFileBytes(dest_ + "\\mine.txt", "the user's");
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_TRUE(Exists("mine.txt"));
    EXPECT_FALSE(Exists("app.exe"));
    EXPECT_EQ(1, report_.keptFolders);
    EXPECT_STREQ(dest_.c_str(), report_.keptFolder);
    EXPECT_STREQ("mine.txt", report_.keptFolderFile);
    std::string text = ClosingMessage("jpn", &report_);
    EXPECT_NE(std::string::npos, text.find("mine.txt")) << text;
}

TEST_F(Uninstall, ShortcutsGoWhereverTheyLandedAndOthersInTheGroupStay)
{
    std::string common = ReadRegString(HKEY_LOCAL_MACHINE, kShellFolders,
                                       "Common Programs");
    std::string user = ReadRegString(HKEY_CURRENT_USER, kShellFolders,
                                     "Programs");
    ASSERT_NE("<missing>", common);
    ASSERT_NE("<missing>", user);
    // The log names the common group; Program Manager made them per user.
    std::string shared = "Uninst Shared Group", own = "Uninst Own Group";
    FreshFolder(user + "\\" + shared);
    FreshFolder(user + "\\" + own);
    MakeShortcut(user + "\\" + shared + "\\Ours.lnk");
    MakeShortcut(user + "\\" + shared + "\\Theirs.lnk");
    MakeShortcut(user + "\\" + own + "\\Only.lnk");
    // Another program's top-level group of the same name as our nested
    // one, and one named like the folder of a shortcut outside Programs:
    // neither is touched.
    std::string tools = "Uninst Tools", acme = "Uninst Acme";
    std::string nested = acme + "\\" + tools;
    FreshFolder(user + "\\" + tools);
    FreshFolder(user + "\\" + acme);
    MakeFolders(user + "\\" + nested);
    MakeShortcut(user + "\\" + tools + "\\T.lnk");
    MakeShortcut(user + "\\" + nested + "\\T.lnk");
    MakeFolders(scratch_.Join(tools));
    WriteInstallation(true,
                      "FILE01=" + common + "\\" + shared + "\\Ours.lnk\r\n"
                      "FILE02=" + common + "\\" + own + "\\Only.lnk\r\n"
                      "FILE03=" + user + "\\" + nested + "\\T.lnk\r\n"
                      "FILE04=" + scratch_.Join(tools) + "\\T.lnk\r\n",
                      "PATH01=" + common + "\\" + shared + "\r\n"
                      "PATH02=" + common + "\\" + own + "\r\n"
                      "PATH03=" + user + "\\" + nested + "\r\n"
                      "PATH04=" + user + "\\" + acme + "\r\n");

    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_FALSE(FileExists(user + "\\" + shared + "\\Ours.lnk"));
    EXPECT_TRUE(FileExists(user + "\\" + shared + "\\Theirs.lnk"));
    EXPECT_FALSE(FileExists(user + "\\" + own)) << "an emptied group goes";
    EXPECT_TRUE(FileExists(user + "\\" + tools + "\\T.lnk"));
    EXPECT_FALSE(FileExists(user + "\\" + acme));
    EXPECT_TRUE(FileExists(user));
    EXPECT_TRUE(FileExists(common));
    RemoveTree(user + "\\" + shared);
    RemoveTree(user + "\\" + tools);
}

TEST_F(Uninstall, AHostileLogRemovesNoSystemFolderAndNothingUnlisted)
{
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    GetSystemDirectoryA(system, sizeof(system));
    std::string programFiles = ReadRegString(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
        "ProgramFilesDir");
    // An empty folder that the log does list goes; one it does not, stays.
    MakeFolders(scratch_.Join("listed\\empty"));
    MakeFolders(scratch_.Join("unlisted"));
    WriteFileBytes(scratch_.Join("listed\\keep.txt"), "unlisted file");
    std::string overlong(400, 'x');
    std::string text =
        "[Paths_File]\r\nPATH00=C:\\\r\nPATH01=" + std::string(windows) +
        "\r\nPATH02=" + system + "\r\nPATH03=" + programFiles +
        "\r\nPATH04=" + scratch_.Join("listed\\..\\unlisted") +
        "\r\nPATH05=" + scratch_.Join("listed") + "\r\nPATH4160=" +
        scratch_.Join("listed\\empty") + "\r\nPATH00=" + scratch_.Join("unlisted") +
        "\r\nPATH06=C:\\" + overlong + "\r\n"
        "[Files_File]\r\nFILE00=" + overlong + "\r\nFILE01=" +
        std::string(windows) + "\r\nFILE999999999=C:\\x\r\n"
        "[UnInstKey]\r\nUnInstKey_File=..\\..\\Run\r\n"
        "[Files_Common]\r\nREGPATH00=Software\r\nREGPATH01=\\\r\n" +
        std::string("\x01\x02\xff\xfe garbage\r\n[\r\n=\r\n", 20) + kNotes;
    WriteFileBytes(log_, text);
    ASSERT_EQ(1, IsUsableLog(log_.c_str()));
    // Refused entries are listed items that did not go.
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove());
    EXPECT_TRUE(FileExists(log_));
    for (const std::string &folder :
         {std::string("C:\\"), std::string(windows), std::string(system),
          programFiles, scratch_.Join("unlisted"), scratch_.Join("listed")})
        EXPECT_TRUE(FileExists(folder)) << folder;
    EXPECT_FALSE(FileExists(scratch_.Join("listed\\empty")));
    EXPECT_TRUE(FileExists(scratch_.Join("listed\\keep.txt")));
    EXPECT_TRUE(KeyExists("Software"));
    EXPECT_TRUE(KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run") ||
                !KeyExists("Software\\Microsoft\\Windows\\CurrentVersion"));
}

TEST_F(Uninstall, AnItemThatCannotGoKeepsTheLogAndTheEntryForAnotherRun)
{
    // A relative shortcut would be deleted in the current folder.
    WriteFileBytes(scratch_.Join("x.lnk"), "not ours");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA(scratch_.path().c_str());
    WriteInstallation(true, "FILE91=x.lnk\r\n");
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove());
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(FileExists(scratch_.Join("x.lnk")));
    EXPECT_FALSE(Exists("app.exe"));
    EXPECT_TRUE(FileExists(log_));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_EQ(1, report_.failed);
    std::string text = ClosingMessage("eng", &report_);
    EXPECT_NE(std::string::npos, text.find("x.lnk")) << text;
    EXPECT_NE(std::string::npos, text.find("were kept")) << text;

    WriteInstallation();
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_FALSE(FileExists(log_));
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

TEST_F(Uninstall, AKeyNameThatFillsItsBufferIsUsedWhole)
{
    const std::string root =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    for (size_t length : {(size_t)UNINSTALL_KEY_NAME_SIZE - 1,
                          (size_t)UNINSTALL_KEY_NAME_SIZE}) {
        SCOPED_TRACE(length);
        std::string name(length, 'k');
        WriteEntry(root + name, log_);
        WriteRegString(HKEY_LOCAL_MACHINE, (root + name).c_str(), "DisplayName",
                       "K");
        WriteFileBytes(log_, "[UnInstKey]\r\nUnInstKey_File=" + name + "\r\n");
        char display[DISPLAY_NAME_SIZE];
        ReadDisplayName(log_.c_str(), display, sizeof(display));
        bool fits = length < (size_t)UNINSTALL_KEY_NAME_SIZE;
        EXPECT_STREQ(fits ? "K" : "", display);
        EXPECT_EQ(fits ? UNINSTALL_REMOVED : UNINSTALL_PARTIAL, Remove());
        EXPECT_EQ(!fits, KeyExists((root + name).c_str()));
        EXPECT_EQ(!fits, FileExists(log_));
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (root + name).c_str());
    }
}

TEST_F(Uninstall, AShiftJisKeyNameEndingInA5CTrailByteIsDeleted)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "a Shift-JIS key name needs the Shift-JIS code page";
    // 表 is 0x95 0x5C: its trail byte is no separator, so the name is one
    // key of its own and the entry goes.
    const std::string entry =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
        "Uninst\x95\x5C";
    WriteEntry(entry, log_);
    WriteFileBytes(log_, "[UnInstKey]\r\nUnInstKey_File=Uninst\x95\x5C\r\n");
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_FALSE(KeyExists(entry.c_str()));
    EXPECT_FALSE(FileExists(log_));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, entry.c_str());
}

TEST_F(Uninstall, AProtectedFolderSpelledByItsShortNameIsProtected)
{
    std::string programFiles = ReadRegString(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
        "ProgramFilesDir");
    char shortName[MAX_PATH];
    DWORD got = GetShortPathNameA(programFiles.c_str(), shortName,
                                  sizeof(shortName));
    ASSERT_TRUE(got > 0 && got < sizeof(shortName)) << programFiles;
    ASSERT_STRNE(programFiles.c_str(), shortName) << "no short name differs";
    EXPECT_TRUE(IsProtectedFolder(shortName)) << shortName;
    // A folder of the product's, by its short name, may go.
    MakeFolders(dest_ + "\\Long Folder Name");
    got = GetShortPathNameA((dest_ + "\\Long Folder Name").c_str(), shortName,
                            sizeof(shortName));
    ASSERT_TRUE(got > 0 && got < sizeof(shortName));
    EXPECT_FALSE(IsProtectedFolder(shortName)) << shortName;
}

TEST_F(Uninstall, OnThe95FamilyASectionPastOneReadIsReadFromTheFile)
{
    // Past the 32767 bytes one section read gives there, with a gap in the
    // numbering before the last entry.
    std::string more;
    for (int i = 100; i < 250; i++)
        more += "FILE" + std::to_string(i) + "=" + dest_ + "\\" +
                std::string(180, 'x') + std::to_string(i) + "\r\n";
    more += "FILE400=" + dest_ + "\\late.txt\r\n";
    WriteInstallation(true, more);
    WriteFileBytes(dest_ + "\\late.txt", "listed late");
    ASSERT_LT(32767u, ReadFileBytes(log_).size());
    int result;
    {
        On95Family family(scratch_.Join("wininit.ini"));
        result = Remove();
    }
    EXPECT_EQ(UNINSTALL_REMOVED, result);
    EXPECT_FALSE(Exists("app.exe"));
    EXPECT_FALSE(Exists("late.txt"));
    EXPECT_FALSE(FileExists(log_));
}

TEST_F(Uninstall, ALogThatListsNothingIsRefused)
{
    EXPECT_EQ(0, IsUsableLog(scratch_.Join("missing.log").c_str()));
    EXPECT_EQ(0, IsUsableLog(scratch_.path().c_str()));
    WriteFileBytes(log_, std::string("\x00\xff garbage \x00", 12));
    EXPECT_EQ(0, IsUsableLog(log_.c_str()));
}

TEST_F(Uninstall, OnThe95FamilyAFileInUseIsRenamedToNulByWininit)
{
    WriteInstallation();
    std::string wininit = scratch_.Join("wininit.ini");
    WriteFileBytes(wininit, "[rename]\r\nNUL=C:\\OTHER.TMP\r\n");
    int result;
    {
        On95Family family(wininit);
        HANDLE held = CreateFileA((dest_ + "\\app.exe").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                                  NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        result = Remove();
        CloseHandle(held);
    }

    EXPECT_EQ(UNINSTALL_RESTART, result);
    EXPECT_EQ(1, report_.scheduled);
    char shortPath[MAX_PATH];
    GetShortPathNameA((dest_ + "\\app.exe").c_str(), shortPath,
                      sizeof(shortPath));
    std::string lines = ReadFileBytes(wininit);
    EXPECT_NE(std::string::npos, lines.find("NUL=C:\\OTHER.TMP")) << lines;
    EXPECT_NE(std::string::npos, lines.find(std::string("NUL=") + shortPath))
        << lines;
}

const char kEntryLines[] = "[UnInstKey]\r\nUnInstKey_File=UninstTest\r\n";

TEST_F(Uninstall, AnOlderLogClimbsPastNoFolderThatWasThereBefore)
{
    // A listed folder that never goes does not make the ones below it ours;
    // the drive root is refused, so the removal is partial.
    MakeFolders("C:\\bait\\deep\\x\\y");
    WriteFileBytes(log_, std::string("[Paths_File]\r\nPATH00=C:\\\r\n"
                                     "PATH01=C:\\bait\\deep\\x\\y\r\n") +
                             kEntryLines);
    WriteEntry(kUninstallKey, log_);
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove());
    EXPECT_FALSE(FileExists("C:\\bait\\deep\\x\\y"));
    EXPECT_TRUE(FileExists("C:\\bait\\deep\\x"));
    RemoveTree("C:\\bait");

    // A destination that was never there says nothing of another vendor's
    // empty folder above it.
    std::string vendor = ReadRegString(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
        "ProgramFilesDir") + "\\EmptyVendor";
    MakeFolders(vendor);
    WriteFileBytes(log_, "[Paths_File]\r\nPATH00=" + vendor + "\\NotThere\r\n"
                         "[UNINSTALL_Files_File]\r\nPATH=" + vendor +
                         "\\NotThere\r\n[Files_File]\r\nFILE00=" + vendor +
                         "\\NotThere\\app.exe\r\n" + kEntryLines);
    EXPECT_EQ(UNINSTALL_REMOVED, Remove());
    EXPECT_TRUE(FileExists(vendor));
    RemoveTree(vendor);
}

TEST_F(Uninstall, ALogOfTheFoldersSetupMadeRemovesThoseAndNoOther)
{
    // Kit and its Shared folder were there before; doc and Common were
    // made, and whatever lies inside them is the installation's. A drive
    // root was never made, so nothing inside it is made by that.
    std::string morePaths = "PATH91=" + dest_ + "\\doc\\en\\..\\en\r\n";
    std::string made = "[Created_Folders]\r\nPATH00=" + dest_ + "\\doc\r\n"
                       "PATH01=" + dest_ + "\\Common\r\nPATH02=C:\\\r\n";
    // Under Shift-JIS, 表 (made) and ソ (found) end in a 0x5C trail byte.
    bool sjis = GetACP() == 932;
    std::string madeSjis = dest_ + "\\\x95\x5C";
    std::string foundSjis = dest_ + "\\\x83\x5C";
    if (sjis) {
        MakeFolders(madeSjis);
        MakeFolders(foundSjis);
        morePaths += "PATH92=" + foundSjis + "\r\n";
        made += "PATH03=" + madeSjis + "\r\n";
    }
    WriteInstallation(true, "", morePaths);
    WriteFileBytes(log_, ReadFileBytes(log_) + made + "Complete=1\r\n");
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove()) << "the path with .. is refused";
    for (const char *gone : {"doc\\en", "doc", "Common", "app.exe"})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_TRUE(Exists("Shared"));
    EXPECT_TRUE(Exists(""));
    if (sjis) {
        EXPECT_FALSE(FileExists(madeSjis));
        EXPECT_TRUE(FileExists(foundSjis));
    }
    EXPECT_STREQ((dest_ + "\\doc\\en\\..\\en").c_str(), report_.firstFailed);
    EXPECT_TRUE(FileExists(log_));
    EXPECT_TRUE(KeyExists(kUninstallKey));
}

TEST_F(Uninstall, APathTheSafetyCheckRefusesKeepsTheLogAndTheEntry)
{
    WriteInstallation(true, "", "PATH01=C:\\bait\\..\\windows\r\n");
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove());
    EXPECT_STREQ("C:\\bait\\..\\windows", report_.firstFailed);
    EXPECT_TRUE(FileExists("C:\\windows"));
    EXPECT_TRUE(FileExists(log_));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists("app.exe"));
}

TEST_F(Uninstall, AnEntryGoesOnlyWhenItsCommandNamesThisLog)
{
    const std::string other =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherProduct";
    log_ = scratch_.Join("Uninstall Log Of Kit.log");
    char shortLog[MAX_PATH];
    struct Case {
        const char *command;   // %s: the log by its short name
        int result;
    };
    for (const Case &c :
         {Case{"C:\\windows\\other.exe C:\\windows\\Other.log",
               UNINSTALL_PARTIAL},
          Case{"", UNINSTALL_PARTIAL},
          Case{"\"C:\\Program Files\\Kit\\un.exe\" -s \"%s\"",
               UNINSTALL_REMOVED}}) {
        SCOPED_TRACE(c.command);
        WriteFileBytes(log_, "[Files_File]\r\nFILE00=" + dest_ +
                                 "\\app.exe\r\n[UnInstKey]\r\n"
                                 "UnInstKey_File=OtherProduct\r\n");
        ASSERT_NE(0u, GetShortPathNameA(log_.c_str(), shortLog,
                                        sizeof(shortLog)));
        CharLowerA(shortLog);
        ASSERT_STRNE(log_.c_str(), shortLog);
        char command[2 * MAX_PATH];
        snprintf(command, sizeof(command), c.command, shortLog);
        WriteRegString(HKEY_LOCAL_MACHINE, other.c_str(), "DisplayName",
                       "Other");
        if (command[0] != '\0')
            WriteRegString(HKEY_LOCAL_MACHINE, other.c_str(),
                           "UninstallString", command);
        EXPECT_EQ(c.result, Remove());
        bool kept = c.result == UNINSTALL_PARTIAL;
        EXPECT_EQ(kept, KeyExists(other.c_str()));
        EXPECT_EQ(kept, FileExists(log_));
        if (kept) {
            EXPECT_NE(nullptr, strstr(report_.firstFailed, "OtherProduct"))
                << report_.firstFailed;
        }
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, other.c_str());
    }
}

TEST_F(Uninstall, AFileSectionPastOneReadIsReadWholeUpToTheListsCapacity)
{
    // Past the 512 KB of one read, the last key numbered far past what an
    // install run tracks: at the capacity its file goes, one past it the
    // removal is partial and the file stays with the log.
    std::string target = dest_ + "\\app.exe";
    for (int values : {UNINSTALL_LIST_CAPACITY, UNINSTALL_LIST_CAPACITY + 1}) {
        SCOPED_TRACE(values);
        std::string section = "[Files_File]\r\n";
        for (int i = 0; i < values - 1; i++)
            section += "FILE" + std::to_string(100 + i) + "=" + dest_ +
                       "\\missing\\" + std::string(200, 'x') + "\r\n";
        section += "FILE700000=" + target + "\r\n";
        ASSERT_LT((size_t)LOG_SNAPSHOT_SIZE, section.size());
        WriteFileBytes(target, "listed last");
        WriteFileBytes(log_, section + kEntryLines);
        WriteEntry(kUninstallKey, log_);
        bool fits = values <= UNINSTALL_LIST_CAPACITY;
        EXPECT_EQ(fits ? UNINSTALL_REMOVED : UNINSTALL_PARTIAL, Remove());
        EXPECT_EQ(!fits, FileExists(target));
        EXPECT_EQ(!fits, FileExists(log_));
    }
}

int RunUninstaller(const std::string &arguments)
{
    return RunProcess("\"" + BuildFolder() + "\\uninstall.exe\" " + arguments);
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    return DefWindowProcA(window, message, w, l);
}

TEST_F(Uninstall, ExitCodesOfTheProgram)
{
    EXPECT_EQ(UNINSTALL_REFUSED,
              RunUninstaller("-s \"" + scratch_.Join("missing.log") + "\""));
    EXPECT_EQ(UNINSTALL_REFUSED, RunUninstaller("-s"));

    // NO to the confirmation: exit code 1, nothing removed.
    WriteInstallation();
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                   "\"" + BuildFolder() + "\\uninstall.exe\" " + log_);
    EXPECT_EQ(UNINSTALL_CANCELLED,
              RunProcess("\"" + BuildFolder() +
                         "\\uninstall_walker.exe\" --cancel UninstTest"));
    EXPECT_TRUE(Exists("app.exe"));
    EXPECT_TRUE(FileExists(log_));

    // The utility is running: refused, nothing removed.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "UninstTestUtilityMain";
    RegisterClassA(&windowClass);
    HWND utility = CreateWindowA("UninstTestUtilityMain", "", WS_OVERLAPPED,
                                 0, 0, 10, 10, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    ASSERT_NE((HWND)NULL, utility) << "no stand-in utility window: "
                                   << GetLastError();
    EXPECT_EQ(UNINSTALL_REFUSED, RunUninstaller("-s " + log_));
    DestroyWindow(utility);
    EXPECT_TRUE(Exists("app.exe"));

    // A file held open goes at the next restart.
    HANDLE held = CreateFileA((dest_ + "\\app.exe").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(UNINSTALL_RESTART, RunUninstaller("-s " + log_));
    CloseHandle(held);
    EXPECT_FALSE(FileExists(log_));
    EXPECT_FALSE(KeyExists(kFileAgentKey));
    const char *sessionManager =
        "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY key;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_LOCAL_MACHINE, sessionManager, 0,
                               KEY_ALL_ACCESS, &key));
    char pending[4096] = {};
    DWORD size = sizeof(pending) - 2;
    EXPECT_EQ(0, RegQueryValueExA(key, "PendingFileRenameOperations", NULL,
                                  NULL, (BYTE *)pending, &size));
    EXPECT_NE(std::string::npos, std::string(pending, size).find("app.exe"));
    RegDeleteValueA(key, "PendingFileRenameOperations");
    RegCloseKey(key);
}

TEST(UninstallTexts, TheLogsLanguageElseTheSystemCodePage)
{
    const UninstallTexts *japanese = ChooseTexts("jpn");
    const UninstallTexts *english = ChooseTexts("eng");
    EXPECT_STREQ("Uninstall", english->title);
    // アンインストール in Shift-JIS, whatever the source encoding.
    EXPECT_STREQ("\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B"
                 "\x83\x8B",
                 japanese->title);
    EXPECT_EQ(english, ChooseTexts("fra"));
    EXPECT_EQ(GetACP() == 932 ? japanese : english, ChooseTexts(""));
}

}  // namespace
