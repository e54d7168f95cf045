// Faults during a whole install run in its progress dialog: a destination
// file that is read-only, source files that are missing, a destination
// drive that fills up, a registry that refuses every write, and Program
// Manager failing. Each run must go to its end, keep the uninstall log a
// well-formed INI file and say what could not be copied.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "progress/install_progress.h"
#include "resources/resource.h"
#include "tests/install/fake_progman.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"

namespace {

const char kUninstallEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FaultKit";
const char kProductKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

const char kScript[] =
    "[UnInstLog]\n"
    "UnInstLog={LOG}\n"
    "RegistKey=FaultKit\n"
    "DispName=Fault Kit\n"
    "ExeFile=@WINDOWSDIR\\uninst.exe\n"
    "[ShortCut_File]\n"
    "Icon000=First;first.txt\n"
    "[Files_File]\n"
    "{FILES}";

// Every line of the log is a section header, a key=value pair or empty.
::testing::AssertionResult IsWellFormedIni(const std::string &text)
{
    if (text == "<missing>")
        return ::testing::AssertionFailure() << "no log";
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lineNumber++;
        bool header = line.size() >= 2 && line.front() == '[' &&
                      line.back() == ']';
        size_t equals = line.find('=');
        bool pair = equals != std::string::npos && equals > 0;
        if (!line.empty() && !header && !pair)
            return ::testing::AssertionFailure()
                   << "line " << lineNumber << ": \"" << line << "\"";
        if (line.find('\0') != std::string::npos)
            return ::testing::AssertionFailure()
                   << "NUL byte in line " << lineNumber;
        start = end + 1;
    }
    return ::testing::AssertionSuccess();
}

class InstallFaults : public testing::Test {
protected:
    void Script(const std::string &files)
    {
        media_.WriteScript(Fill(kScript, {{"LOG", media_.logPath()},
                                          {"FILES", files}}));
    }

    // The whole run in its progress dialog, message boxes answered.
    void Run()
    {
        MessageBoxAnswerer boxes;
        INT_PTR result = DialogBoxParamA(
            g_instance, MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS), NULL,
            InstallProgressProc, 0);
        EXPECT_EQ(1, result);
        seen_ = boxes.seen();
    }

    std::vector<std::string> Warnings(const char *caption)
    {
        std::vector<std::string> texts;
        for (const SeenMessageBox &box : seen_)
            if (box.caption == caption)
                texts.push_back(box.text);
        return texts;
    }

    std::string CopyWarning(int count, const std::string &first)
    {
        return std::to_string(count) +
               " file(s) could not be copied.\nThe first one: " + first;
    }

    InstallMedia media_;
    FakeProgman progman_;
    std::vector<SeenMessageBox> seen_;
};

}  // namespace

TEST_F(InstallFaults, LockedReadOnlyAndMissingFilesAreNamedAndTheRunGoesOn)
{
    media_.WriteSource("first.txt", "first");
    media_.WriteSource("locked.txt", "new");
    media_.WriteSource("readonly.txt", "new");
    media_.WriteSource("last.txt", "last");
    Script("file000=first.txt\nfile001=missing.txt\nfile002=locked.txt\n"
           "file003=readonly.txt\nfile004=last.txt\n");
    MakeFolders(media_.destination());
    // A file in use: held open without sharing, so it cannot be replaced.
    WriteFileBytes(media_.Dest("locked.txt"), "old");
    HANDLE inUse = CreateFileA(media_.Dest("locked.txt").c_str(),
                               GENERIC_READ, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, inUse);
    WriteFileBytes(media_.Dest("readonly.txt"), "old");
    SetFileAttributesA(media_.Dest("readonly.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY);

    Run();
    CloseHandle(inUse);

    EXPECT_EQ("first", ReadFileBytes(media_.Dest("first.txt")));
    EXPECT_EQ("old", ReadFileBytes(media_.Dest("locked.txt")));
    EXPECT_EQ("last", ReadFileBytes(media_.Dest("last.txt")));
    // Wine lets root replace a read-only file; Windows refuses. Either way
    // the warning must count exactly the files that were not replaced. The
    // file in use is no failure: it is replaced at the restart, which a box
    // of its own says.
    int failed = 1;
    if (ReadFileBytes(media_.Dest("readonly.txt")) == "old")
        failed++;
    EXPECT_EQ(std::vector<std::string>{CopyWarning(
                  failed, media_.Dest("missing.txt"))},
              Warnings("INSTALL SYSTEM INFO."));
    int restartBoxes = 0;
    for (const SeenMessageBox &box : seen_)
        if (box.text.find(media_.Dest("locked.txt")) != std::string::npos &&
            box.caption != "INSTALL SYSTEM INFO.")
            restartBoxes++;
    EXPECT_EQ(1, restartBoxes);
    EXPECT_TRUE(IsWellFormedIni(media_.Log()));
    // The steps behind the copies still ran.
    EXPECT_EQ("Fault Kit",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
    EXPECT_EQ(media_.destination(),
              ReadRegString(HKEY_LOCAL_MACHINE, kProductKey, "InstallPath"));
    SetFileAttributesA(media_.Dest("readonly.txt").c_str(),
                       FILE_ATTRIBUTE_NORMAL);
}

// The free-space check is a forecast by drive: reached through a folder
// of C: (a link), the small drive passes it and then fills up.
TEST_F(InstallFaults, ADriveThatFillsUpFailsTheCopiesThatDoNotFit)
{
    if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "the small drive Q: is not mapped";
    RemoveTree("Q:\\App");
    CopyText(g_destinationFolder, sizeof(g_destinationFolder),
             "C:\\small-drive\\App");
    std::string block(100 * 1024, 'x');
    media_.WriteSource("first.txt", block);
    media_.WriteSource("second.txt", block);
    media_.WriteSource("third.txt", block);
    media_.WriteSource("fourth.txt", block);
    Script("file000=first.txt\nfile001=second.txt\nfile002=third.txt\n"
           "file003=fourth.txt\n");

    Run();

    EXPECT_EQ(block, ReadFileBytes("Q:\\App\\first.txt"));
    std::vector<std::string> warnings = Warnings("INSTALL SYSTEM INFO.");
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("could not be copied"))
        << warnings[0];
    EXPECT_NE(std::string::npos, warnings[0].find("C:\\small-drive\\App\\"))
        << warnings[0];
    EXPECT_TRUE(IsWellFormedIni(media_.Log()));
    EXPECT_EQ("Fault Kit",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
    RemoveTree("Q:\\App");
}

// Named as the drive it is, the small drive is too small before the first
// copy: one Retry / Cancel box names it with the space needed and free.
// Retry measures again; Cancel ends the run with nothing changed.
TEST_F(InstallFaults, ADriveTooSmallIsOneBoxBeforeAnyChange)
{
    if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "the small drive Q: is not mapped";
    RemoveTree("Q:\\App");
    CopyText(g_destinationFolder, sizeof(g_destinationFolder), "Q:\\App");
    std::string block(100 * 1024, 'x');
    for (const char *name : {"first.txt", "second.txt", "third.txt"})
        media_.WriteSource(name, block);
    Script("file000=first.txt\nfile001=second.txt\nfile002=third.txt\n");

    MessageBoxAnswerer boxes({IDRETRY, IDCANCEL});
    EXPECT_EQ(0, DialogBoxParamA(g_instance,
                                 MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS), NULL,
                                 InstallProgressProc, 0));
    ForgetQuit();   // setup ends after the Cancel
    ASSERT_EQ(2u, boxes.seen().size());
    // The catalog's language (Japanese here) frames the drive and sizes.
    for (const SeenMessageBox &box : boxes.seen())
        EXPECT_NE(std::string::npos, box.text.find("\n\nQ:\\\n")) << box.text;
    EXPECT_NE(std::string::npos, boxes.seen()[0].text.find(": 300 KB\n"));
    EXPECT_FALSE(FileExists("Q:\\App"));
    EXPECT_FALSE(FileExists(media_.logPath()));
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
}

TEST_F(InstallFaults, ARegistryThatRefusesWritesStillCopiesEverything)
{
    media_.WriteSource("first.txt", "first");
    media_.WriteSource("second.txt", "second");
    Script("file000=first.txt\nfile001=second.txt\n");
    // HKEY_LOCAL_MACHINE becomes a volatile key: the registry refuses to
    // create the lasting keys that the run writes its values into.
    HKEY refusing;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SetupTests\\Refusing",
                              0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              NULL, &refusing, NULL));
    HKEY probe;
    ASSERT_NE(ERROR_SUCCESS, RegCreateKeyA(refusing, "Probe", &probe));
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, refusing);

    Run();

    RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
    RegCloseKey(refusing);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupTests\\Refusing");
    EXPECT_EQ("first", ReadFileBytes(media_.Dest("first.txt")));
    EXPECT_EQ("second", ReadFileBytes(media_.Dest("second.txt")));
    EXPECT_TRUE(Warnings("INSTALL SYSTEM INFO.").empty());
    EXPECT_TRUE(IsWellFormedIni(media_.Log()));
}

TEST_F(InstallFaults, ProgramManagerFailingStillCompletesTheInstallation)
{
    media_.WriteSource("first.txt", "first");
    Script("file000=first.txt\n");
    progman_.initializeResult = DMLERR_SYS_ERROR;

    Run();

    EXPECT_EQ("first", ReadFileBytes(media_.Dest("first.txt")));
    std::vector<std::string> warnings = Warnings("INSTALL SYSTEM INFO.");
    ASSERT_FALSE(warnings.empty());
    for (const std::string &text : warnings)
        EXPECT_EQ("Failed in icon registration.\n"
                  "Please create shortcut icon(s).  (code=1)", text);
    EXPECT_EQ("Fault Kit",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
    EXPECT_TRUE(IsWellFormedIni(media_.Log()));
}

TEST_F(InstallFaults, ProgramManagerRefusingEveryCommandGivesCode3PerSection)
{
    media_.WriteSource("first.txt", "first");
    Script("file000=first.txt\n");
    for (int i = 0; i < 200; i++)
        progman_.failingTransactions.insert(i);

    Run();

    EXPECT_EQ("first", ReadFileBytes(media_.Dest("first.txt")));
    std::vector<std::string> warnings = Warnings("INSTALL SYSTEM INFO.");
    ASSERT_FALSE(warnings.empty());
    for (const std::string &text : warnings)
        EXPECT_NE(std::string::npos, text.find("(code=3)")) << text;
    EXPECT_EQ(0, progman_.openConversations);
    EXPECT_EQ("Fault Kit",
              ReadRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName"));
}
