// The unattended run's shortcut files: what the shell reads back from
// them, the entries left out or reported, the link name at its limit, and
// the rollback that removes them without Program Manager. The round trip
// compares them with the interactive run's.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>

#include <string>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "shortcuts/progman_client.h"
#include "shortcuts/shortcut_files.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"
#include "transaction/journal_writer.h"
#include "transaction/transaction.h"

namespace {

const std::string kSo = "\x83\x5C";   // "ソ": lead byte, then 0x5C
const std::string kHyo = "\x95\x5C";  // "表"

class ShortcutFiles : public testing::Test {
protected:
    void SetUp() override
    {
        g_unattended = true;
        ResetShortcutFailures();
        OpenInstallReport(report_.Join("report.txt").c_str());
    }
    void TearDown() override
    {
        CloseInstallReport();
        g_unattended = false;
    }
    std::string Report() { return ReadFileBytes(report_.Join("report.txt")); }

    InstallMedia media_;
    ScratchDir report_;
};

}  // namespace

TEST_F(ShortcutFiles, MadeReadBackReportedAndRolledBackWithoutProgman)
{
    // Under code page 932 the group, a title and the destination hold
    // characters whose second byte is a backslash.
    bool sjis = GetACP() == 932;
    std::string group = sjis ? "Kit " + kSo + kHyo : "Kit";
    std::string title = sjis ? "Tool " + kHyo : "Tool";
    std::string destination =
        media_.destination() + (sjis ? "\\" + kHyo + kSo : "");
    strcpy(g_destinationFolder, destination.c_str());
    media_.WriteScript("[ShortCut_File]\n"
                       "Icon000=" + title + ";tool.exe\n"
                       "Icon001=Help;help.exe;C:\\Docs;-h 1\n"
                       "Icon002=Say \"hi\";a.exe\n"
                       "Icon003=Bad?Name;b.exe\n"
                       "Icon004=..\\Up;u.exe\n");
    std::string log = media_.logPath();
    DWORD error = 0;
    ASSERT_TRUE(BeginTransaction(log.c_str(), &error)) << error;
    ShortcutSkips skips = {};
    EXPECT_EQ(1, RegisterShortcutSection("ShortCut_File", group.c_str(),
                                         &skips));

    std::string folder = media_.programs() + "\\" + group;
    EXPECT_EQ(destination + "\\tool.exe||",
              ReadShortcut(folder + "\\" + title + ".lnk"));
    EXPECT_EQ("C:\\Docs\\help.exe|-h 1|", ReadShortcut(folder + "\\Help.lnk"));
    // Left out as the conversation leaves it out, and noted.
    EXPECT_EQ(1, skips.count);
    EXPECT_FALSE(FileExists(folder + "\\Say \"hi\".lnk"));
    // A title no file can be named after: a report line, and exit code 5.
    EXPECT_EQ(2, CountShortcutFailures());
    EXPECT_NE(std::string::npos,
              Report().find("shortcut not made: Bad?Name (a character no file name may hold)"))
        << Report();
    EXPECT_NE(std::string::npos,
              Report().find("shortcut not made: ..\\Up (the title leads out"));
    EXPECT_FALSE(FileExists(media_.programs() + "\\Up.lnk"));

    // The rollback of an unattended run deletes them as files: no
    // conversation, so no ShowGroup and no window.
    CloseJournal();
    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log.c_str()));
    EXPECT_FALSE(FileExists(folder)) << Report();
    EXPECT_TRUE(FileExists(media_.programs()));
}

// The link object's own file save, for comparison.
static std::string SaveWithLinkObject(const std::string &link,
                                      const char *target,
                                      const char *arguments)
{
    CoInitialize(NULL);
    IShellLinkA *shellLink = NULL;
    IPersistFile *file = NULL;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL,
                                   CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&shellLink)) &&
        SUCCEEDED(shellLink->SetPath(target)) &&
        SUCCEEDED(shellLink->SetArguments(arguments)) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile,
                                            (void **)&file)))
        file->Save(wide, TRUE);
    if (file != NULL)
        file->Release();
    if (shellLink != NULL)
        shellLink->Release();
    CoUninitialize();
    return ReadFileBytes(link);
}

// The bytes are written by setup, not by the link object's file save: the
// same file, to the last byte (a size taken from the memory block, which
// is rounded up, would add some), over an older link of the same name too.
TEST_F(ShortcutFiles, BytesEqualTheLinkObjectsOwnSave)
{
    media_.WriteScript("[ShortCut_File]\n"
                       "Icon000=Help;help.exe;C:\\Docs;-h 1\n");
    std::string folder = media_.programs() + "\\Kit";
    CreateDirectoryA(media_.programs().c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    WriteFileBytes(folder + "\\Help.lnk", std::string(4096, 'x'));
    int failuresBefore = CountShortcutFailures();
    ShortcutSkips skips = {};
    EXPECT_EQ(1, RegisterShortcutSection("ShortCut_File", "Kit", &skips));
    std::string ours = ReadFileBytes(folder + "\\Help.lnk");
    std::string theirs = SaveWithLinkObject(report_.Join("Help.lnk"),
                                            "C:\\Docs\\help.exe", "-h 1");
    ASSERT_GT(theirs.size(), 0u);
    EXPECT_EQ(theirs.size(), ours.size());
    EXPECT_TRUE(theirs == ours);
    EXPECT_EQ(failuresBefore, CountShortcutFailures()) << Report();
}

TEST(LinkPath, FitsAtTheLimitAndNotOnePast)
{
    std::string folder = "C:\\" + std::string(100, 'f');
    // folder, backslash, title, ".lnk": 259 characters fill PATH_SIZE.
    std::string title(PATH_SIZE - 1 - folder.size() - 1 - 4, 't');
    char link[PATH_SIZE];
    memset(link, '#', sizeof(link));
    ASSERT_TRUE(FormLinkPath(folder.c_str(), title.c_str(), link,
                             sizeof(link)));
    EXPECT_EQ(folder + "\\" + title + ".lnk", link);
    memset(link, '#', sizeof(link));
    EXPECT_FALSE(FormLinkPath(folder.c_str(), (title + "t").c_str(), link,
                              sizeof(link)));
    EXPECT_STREQ("", link);
    // The title's trail byte 0x5C is no separator to drop.
    std::string sjisTitle = kSo + kHyo;
    ASSERT_TRUE(FormLinkPath("C:\\G", sjisTitle.c_str(), link, sizeof(link)));
    EXPECT_EQ("C:\\G\\" + sjisTitle + ".lnk", std::string(link));
}
