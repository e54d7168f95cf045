// What a damaged or hostile log cannot make the uninstaller remove, judged
// by what a path is rather than by how it is spelled. Wine has neither
// subst drives, junctions nor Windows symbolic links: its Z: drive (the
// Unix root) stands in for another drive letter reaching the same folder,
// and Unix links made with ln stand in for junctions and symbolic links.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/platform.h"
#include "removal/file_remove.h"
#include "tests/support/test_support.h"
#include "uninstall/uninstall_run.h"

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
    "User Shell Folders";

std::string UnixName(const std::string &windows)
{
    typedef char *(CDECL * UnixNameFunction)(LPCWSTR);
    UnixNameFunction unixName = (UnixNameFunction)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windows.c_str(), -1, wide, MAX_PATH);
    char *name = unixName != NULL ? unixName(wide) : NULL;
    std::string result = name != NULL ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// The same folder through the Z: drive: Z:\<prefix>\drive_c\...
std::string ThroughZ(const std::string &windows)
{
    std::string name = "Z:" + UnixName(windows);
    for (char &c : name)
        if (c == '/')
            c = '\\';
    // Wine names C: "dosdevices\c:", a component no Windows path may hold
    // (the path judgement refuses a ':' after the drive): drive_c is the
    // same folder under a name the judgement reads as a path.
    size_t device = name.find("dosdevices\\c:");
    if (device != std::string::npos)
        name.replace(device, 13, "drive_c");
    return name;
}

// Runs a shell command line of the host (Wine starts Unix programs) and
// waits until done says it took effect, at most five seconds.
void RunUnix(const std::string &command, bool (*done)(const std::string &),
             const std::string &path)
{
    std::string line = "sh -c \"" + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessA("Z:\\bin\\sh", &line[0], NULL, NULL, FALSE, 0,
                               NULL, NULL, &startup, &process))
        << command;
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500 && !done(path); i++)
        Sleep(10);
    ASSERT_TRUE(done(path)) << command;
}

bool LinkPresent(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return search != INVALID_HANDLE_VALUE;
}

bool LinkGone(const std::string &path) { return !LinkPresent(path); }

// Unix links, unlinked when this goes: a Windows delete would reach their
// targets.
class UnixLinks {
public:
    ~UnixLinks()
    {
        for (const std::string &link : links_)
            RunUnix("rm -f '" + UnixName(link) + "'", LinkGone, link);
    }
    void Make(const std::string &target, const std::string &link)
    {
        links_.push_back(link);
        RunUnix("ln -sfn '" + UnixName(target) + "' '" + UnixName(link) + "'",
                LinkPresent, link);
    }

private:
    std::vector<std::string> links_;
};

class JudgedPaths : public testing::Test {
protected:
    void SetUp() override
    {
        log_ = scratch_.Join("uninst.log");
        dest_ = scratch_.Join("Kit");
        MakeFolders(dest_);
    }

    // A log with the destination, and these [Files_File] and [Paths_File]
    // lines.
    int Remove(const std::string &files, const std::string &paths)
    {
        WriteFileBytes(log_, "[UNINSTALL_Files_File]\r\nPATH=" + dest_ +
                                 "\r\n[Files_File]\r\n" + files +
                                 "[Paths_File]\r\n" + paths);
        UninstallNotes notes;
        ReadUninstallNotes(log_.c_str(), &notes);
        return RemoveInstallation(log_.c_str(), &notes, &report_, NULL, NULL);
    }

    std::string Shell(HKEY root, const char *name)
    {
        std::string folder = ReadRegString(root, kShellFolders, name);
        MakeFolders(folder);   // listed and empty: only protection keeps it
        return folder;
    }

    ScratchDir scratch_;
    UnixLinks links_;
    std::string log_;
    std::string dest_;
    RemovalReport report_;
};

TEST_F(JudgedPaths, ShellFoldersAndTheFoldersAboveThemStayUnderAnySpelling)
{
    // The folders above a shell folder, with a value naming a folder that
    // is not there (so the one above it is empty) and one to expand.
    std::string above = scratch_.Join("above");
    MakeFolders(above);
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "UninstTestFolder",
                   above + "\\missing");
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyA(HKEY_CURRENT_USER, kUserShellFolders, &key));
    std::string expandable = "%WINDIR%\\..\\UninstExpanded\\missing";
    RegSetValueExA(key, "UninstTestExpand", 0, REG_EXPAND_SZ,
                   (const BYTE *)expandable.c_str(),
                   (DWORD)expandable.size() + 1);
    MakeFolders("C:\\UninstExpanded");
    std::vector<std::string> kept = {
        Shell(HKEY_LOCAL_MACHINE, "Common StartUp"),
        Shell(HKEY_CURRENT_USER, "StartUp"),
        Shell(HKEY_LOCAL_MACHINE, "Common Desktop"),
        Shell(HKEY_CURRENT_USER, "Administrative Tools"),
        Shell(HKEY_LOCAL_MACHINE, "Common Administrative Tools"),
        Shell(HKEY_CURRENT_USER, "Favorites"),
        ReadRegString(HKEY_CURRENT_USER, kShellFolders,
                      "{BFB9D5E0-C6A9-404C-B2B2-AE6DB6AF4968}"),   // Links
        above, "C:\\UninstExpanded"};
    MakeFolders(kept[6]);
    std::string paths;
    int number = 0;
    for (const std::string &folder : kept) {
        paths += "PATH" + std::to_string(10 + number++) + "=" + folder + "\r\n";
        paths += "PATH" + std::to_string(10 + number++) + "=" + ThroughZ(folder) +
                 "\r\n";
    }
    // An unprotected folder that goes through Z: as it would by its own
    // name.
    MakeFolders(dest_ + "\\empty");
    paths += "PATH91=" + ThroughZ(dest_ + "\\empty") + "\r\n";
    Remove("", paths);
    for (const std::string &folder : kept)
        EXPECT_TRUE(FileExists(folder)) << folder;
    EXPECT_FALSE(FileExists(dest_ + "\\empty"));

    // The 95 family has no identity to compare: a drive the log does not
    // use is refused, the log's own drive is not.
    MakeFolders(dest_ + "\\empty");
    MakeFolders(dest_ + "\\other");
    OverridePlatformVersion(0xC0000A04);
    int result = Remove("", paths + "PATH92=" + dest_ + "\\other\r\n");
    OverridePlatformVersion(0);
    EXPECT_EQ(UNINSTALL_REMOVED, result);
    for (const std::string &folder : kept)
        EXPECT_TRUE(FileExists(folder)) << folder;
    EXPECT_TRUE(FileExists(dest_ + "\\empty"));
    EXPECT_FALSE(FileExists(dest_ + "\\other"));

    RegDeleteValueA(key, "UninstTestExpand");
    RegCloseKey(key);
    ASSERT_EQ(0, RegOpenKeyA(HKEY_CURRENT_USER, kShellFolders, &key));
    RegDeleteValueA(key, "UninstTestFolder");
    RegCloseKey(key);
    RemoveTree("C:\\UninstExpanded");
}

TEST_F(JudgedPaths, ALinkIsLeftAndNamedAndItsTargetStays)
{
    std::string mine = scratch_.Join("user\\mine.txt");
    MakeFolders(scratch_.Join("user\\empty"));
    WriteFileBytes(mine, "the user's");
    std::string startUp = Shell(HKEY_CURRENT_USER, "StartUp");
    links_.Make(mine, dest_ + "\\mine.txt");
    links_.Make(startUp, dest_ + "\\StartUp");
    links_.Make(scratch_.Join("user\\empty"), dest_ + "\\empty");
    WriteFileBytes(dest_ + "\\app.exe", "ours");
    // A plain file whose path fills its buffer is judged and goes.
    std::string full = dest_ + "\\";
    full += std::string(PATH_SIZE - 1 - full.size(), 'f');
    WriteFileBytes(full, "ours");
    ASSERT_TRUE(FileExists(full));

    EXPECT_EQ(UNINSTALL_PARTIAL,
              Remove("FILE00=" + dest_ + "\\mine.txt\r\nFILE01=" + dest_ +
                         "\\app.exe\r\nFILE02=" + full + "\r\n",
                     "PATH00=" + dest_ + "\\StartUp\r\nPATH01=" + dest_ +
                         "\\empty\r\n"));
    EXPECT_EQ("the user's", ReadFileBytes(mine));
    EXPECT_TRUE(FileExists(startUp));
    EXPECT_TRUE(FileExists(scratch_.Join("user\\empty")));
    EXPECT_FALSE(FileExists(dest_ + "\\app.exe"));
    EXPECT_FALSE(FileExists(full));
    EXPECT_EQ(3, report_.failed);
    EXPECT_STREQ((dest_ + "\\mine.txt").c_str(), report_.firstFailed);
    EXPECT_TRUE(FileExists(log_));
}

TEST_F(JudgedPaths, ADeviceNameIsRefusedAndNothingIsScheduled)
{
    std::string files;
    int number = 0;
    for (const char *name : {"NUL", "CON", "COM1", "CONIN$", "con.txt",
                             "Kit\\nul", "Kit\\Com1.log", "Kit\\aux .txt",
                             "Kit\\CONOUT$", "Kit\\lpt9."})
        files += "FILE" + std::to_string(10 + number++) + "=" +
                 (name[0] == 'K' ? scratch_.Join(name) : std::string(name)) +
                 "\r\n";
    files += "FILE90=C:\\NUL\r\nFILE91=C:\\COM1\r\n";
    EXPECT_EQ(UNINSTALL_PARTIAL, Remove(files, ""));
    EXPECT_EQ(0, report_.scheduled) << report_.firstScheduled;
    EXPECT_EQ(number + 2, report_.failed);
    EXPECT_TRUE(FileExists(log_));
}

}  // namespace
