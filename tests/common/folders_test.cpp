// Folder macros, shell folders and folder creation against Wine's real
// registry (redirected to scratch keys) and file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "common/folders.h"
#include "common/platform.h"
#include "core/setup_limits.h"
#include "common/setup_state.h"
#include "tests/support/test_support.h"

namespace {

const char kUserKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kCommonKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class ShellFolders : public testing::Test {
protected:
    void SetUp() override
    {
        WriteRegString(HKEY_CURRENT_USER, kUserKey, "Programs", "C:\\U\\Programs");
        WriteRegString(HKEY_CURRENT_USER, kUserKey, "Startup", "C:\\U\\Startup");
        WriteRegString(HKEY_LOCAL_MACHINE, kCommonKey, "Common Programs",
                       "C:\\All\\Programs");
        WriteRegString(HKEY_LOCAL_MACHINE, kCommonKey, "Common Startup",
                       "C:\\All\\Startup");
    }
    void TearDown() override { OverridePlatformVersion(0); }

    std::string Folder(const char *user, const char *common, int allUsers)
    {
        char buffer[PATH_SIZE];
        memset(buffer, '#', sizeof(buffer));
        int length = GetShellFolder(buffer, sizeof(buffer), user, common,
                                    allUsers);
        if (length == 0)
            return "<failed>";
        EXPECT_EQ((size_t)length, strlen(buffer));
        return buffer;
    }

    RegistrySandbox registry_;
};

std::string Expand(const char *source, int allUsers, size_t size = PATH_SIZE)
{
    char buffer[1024];
    memset(buffer, '#', sizeof(buffer));
    ExpandFolderMacros(buffer, size, source, allUsers);
    for (size_t i = size; i < sizeof(buffer); i++) {
        if (buffer[i] != '#') {
            ADD_FAILURE() << "written past the buffer at " << i;
            break;
        }
    }
    return buffer;
}

std::string SystemDir()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof(dir));
    return dir;
}

std::string WindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof(dir));
    return dir;
}

}  // namespace

TEST_F(ShellFolders, FlagChoosesBetweenUserAndCommonOnNt)
{
    EXPECT_EQ("C:\\All\\Programs", Folder(NULL, NULL, 1));
    EXPECT_EQ("C:\\U\\Programs", Folder(NULL, NULL, 0));
    EXPECT_EQ("C:\\All\\Startup", Folder("Startup", "Common Startup", 7));
}

TEST_F(ShellFolders, Win95FamilyAlwaysReadsThePerUserKey)
{
    OverridePlatformVersion(0xC0000A04);  // top bit set: the 95 family
    EXPECT_EQ("C:\\U\\Programs", Folder(NULL, NULL, 1));
    EXPECT_EQ("C:\\U\\Startup", Folder("Startup", "Common Startup", 1));
}

TEST_F(ShellFolders, MissingValuesFail)
{
    EXPECT_EQ("<failed>", Folder("Nothing", "Common Nothing", 1));
    EXPECT_EQ("<failed>", Folder("Nothing", "Common Nothing", 0));
}

TEST_F(ShellFolders, UnterminatedValueIsTerminatedInTheBuffer)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kUserKey, &key));
    const char value[] = "C:\\Raw";
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE *)value,
                   (DWORD)strlen(value));  // no NUL stored
    RegCloseKey(key);
    EXPECT_EQ("C:\\Raw", Folder(NULL, NULL, 0));
}

TEST_F(ShellFolders, ValueLongerThanTheBufferFailsWithoutOverrun)
{
    WriteRegString(HKEY_CURRENT_USER, kUserKey, "Programs",
                   "C:\\" + std::string(600, 'p'));
    char buffer[PATH_SIZE + 16];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0, GetShellFolder(buffer, PATH_SIZE, NULL, NULL, 0));
    for (size_t i = PATH_SIZE; i < sizeof(buffer); i++)
        ASSERT_EQ('#', buffer[i]) << "at " << i;
}

TEST_F(ShellFolders, AFolderThatFillsThePathBufferIsReadWhole)
{
    std::string fits = "C:\\" + std::string(PATH_SIZE - 4, 'p');   // 259
    char buffer[PATH_SIZE + 16];
    for (const std::string &value : {fits, fits + "p"}) {
        SCOPED_TRACE(value.size());
        WriteRegString(HKEY_CURRENT_USER, kUserKey, "Programs", value);
        memset(buffer, '#', sizeof(buffer));
        int length = GetShellFolder(buffer, PATH_SIZE, NULL, NULL, 0);
        EXPECT_EQ(value == fits ? (int)fits.size() : 0, length);
        EXPECT_EQ(value == fits ? fits : "", std::string(buffer));
        EXPECT_EQ('#', buffer[PATH_SIZE]);
    }
}

TEST_F(ShellFolders, MacrosExpandInOrder)
{
    strcpy(g_languageCode, "jpn");
    EXPECT_EQ(SystemDir() + "\\x", Expand("@SYSTEMDIR\\x", 1));
    EXPECT_EQ(WindowsDir() + ";" + WindowsDir(),
              Expand("@WINDOWSDIR;@WINDOWSDIR", 1));
    EXPECT_EQ("jpn\\a", Expand("@LANGDIR\\a", 1));
    EXPECT_EQ("C:\\All\\Startup", Expand("@STARTUPDIR", 1));
    EXPECT_EQ("C:\\U\\Startup", Expand("@STARTUPDIR", 0));
    EXPECT_EQ("@windowsdir\\Plain", Expand("@windowsdir\\Plain", 1));
}

TEST_F(ShellFolders, MissingStartupFolderBecomesEmpty)
{
    HKEY key;
    RegOpenKeyA(HKEY_LOCAL_MACHINE, kCommonKey, &key);
    RegDeleteValueA(key, "Common Startup");
    RegCloseKey(key);
    EXPECT_EQ("\\x", Expand("@STARTUPDIR\\x", 1));
}

TEST_F(ShellFolders, OverlongSourcesAreCutAndTokensThatWouldOverflowStayAndFail)
{
    std::string longSource(1000, 's');
    EXPECT_EQ(std::string(PATH_SIZE - 1, 's'), Expand(longSource.c_str(), 1));

    // The system folder is longer than its token, so this would pass 259.
    std::string nearlyFull = "@SYSTEMDIR" + std::string(245, 'w');
    ASSERT_GT(SystemDir().size(), strlen("@SYSTEMDIR"));
    std::string result = Expand(nearlyFull.c_str(), 1);
    EXPECT_EQ(nearlyFull, result);

    // Either way the text is no folder, and the caller is told so.
    char buffer[PATH_SIZE];
    EXPECT_EQ(0, ExpandFolderMacros(buffer, sizeof(buffer),
                                    longSource.c_str(), 1));
    EXPECT_EQ(0, ExpandFolderMacros(buffer, sizeof(buffer),
                                    nearlyFull.c_str(), 1));
    EXPECT_EQ(1, ExpandFolderMacros(buffer, sizeof(buffer),
                                    "@SYSTEMDIR\\x", 1));
}

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    ScratchDir scratch;
    std::string deep = scratch.Join("one\\two\\three");
    CreateFolderPath(deep.c_str());
    DWORD attributes = GetFileAttributesA(deep.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    CreateFolderPath(deep.c_str());  // existing levels are no error
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(deep.c_str()));
}

TEST(CreateFolderPath, ShiftJisNamesWithTrailByte5C)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Shift-JIS code page, ACP is " << GetACP();
    ScratchDir scratch;
    // ソフト\表示: both names end their first character in byte 0x5C.
    std::string so = "\x83\x5C\x83\x74\x83\x67";
    std::string hyoji = "\x95\x5C\x8E\xA6";
    std::string deep = scratch.Join(so + "\\" + hyoji);
    CreateFolderPath(deep.c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(deep.c_str()));

    // Nothing was made from half a character: the scratch folder holds
    // exactly the one folder ソフト.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(scratch.Join("*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    std::string names;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names += std::string(found.cFileName) + "|";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(so + "|", names);
}
