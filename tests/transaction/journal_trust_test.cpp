// A journal is input: written by hand beside the log, it makes neither
// uninstall.exe nor setup.exe touch anything an installation did not make.
// One table of hostile steps, each with the thing it aims at; the machine
// is compared before and after uninstall.exe -s and setup.exe -s. Then
// the two things a failed run must give back (a shortcut that was there,
// a long registry value), and folder fields that would install where the
// uninstaller refuses to remove.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "core/setup_limits.h"
#include "tests/e2e/setup_walker.h"
#include "tests/support/test_support.h"
#include "tests/transaction/txn_machine.h"

namespace {

const char kOther[] = "C:\\Program Files\\OtherProduct";
const char kOtherKey[] = "Software\\OtherVendor\\Product";
const char kInjectedKey[] = "Software\\OtherVendor\\Injected";
const char kOtherEntry[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherProduct";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

std::string Hex(const std::string &text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

std::string Profile()
{
    const char *profile = getenv("USERPROFILE");
    return profile != nullptr ? profile : "C:\\users\\Public";
}

std::string SystemFile()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    return std::string(system) + "\\txnvictim.dll";
}

// One hostile step: its line and what it aims at (for the report check).
struct HostileStep {
    std::string line;
    std::string named;
};

std::vector<HostileStep> InProgressSteps()
{
    std::string other = kOther;
    return {
        {"file ~st00001 C:\\windows\\win.ini", "C:\\windows\\win.ini"},
        {"file ~st00003 " + SystemFile(), SystemFile()},
        {"file ~st00004 " + Profile() + "\\txnvictim.txt",
         Profile() + "\\txnvictim.txt"},
        {"file ~st00005 " + other + "\\other.exe", other + "\\other.exe"},
        {"file ~st00006,10,01D0000000000000 " + other + "\\other.exe",
         other + "\\other.exe"},
        {"file ~st00007 C:\\Program Files\\TxnTest\\..\\OtherProduct\\other.exe",
         "..\\OtherProduct"},
        {"replace victim " + other + "\\data.dat", other + "\\data.dat"},
        {"replace ~st00001 " + other + "\\data.dat", other + "\\data.dat"},
        {"link " + Profile() + "\\txnvictim.txt", Profile() + "\\txnvictim.txt"},
        {"folder C:\\windows", "C:\\windows"},
        {"key HKLM " + Hex(kOtherKey), kOtherKey},
        {"key HKLM " + Hex(kOtherEntry), kOtherEntry},
        {"value HKLM " + Hex(kOtherEntry) + " " + Hex("UninstallString") +
             " - -", kOtherEntry},
        {"value HKCU " + Hex("Software\\Wine") + " " + Hex("TxnVictim") +
             " - -", "Software\\Wine"},
        {"value HKLM " + Hex(kInjectedKey) + " " + Hex("Run") + " 1 " +
             Hex(std::string("evil.exe") + '\0'), kInjectedKey},
    };
}

// Hand-written, without checks: lines of the earlier format are judged
// like any other.
void WriteJournal(const std::string &state,
                  const std::vector<HostileStep> &steps)
{
    std::string text = "[Transaction]\r\nState=" + state +
                       "\r\n[Transaction.1]\r\n";
    for (size_t i = 0; i < steps.size(); i++)
        text += std::to_string(i + 1) + "=" + steps[i].line + "\r\n";
    WriteFileBytes(std::string(kTxnLog) + ".jnl", text);
}

class JournalTrust : public TxnMachine {
protected:
    void SetUp() override
    {
        TxnMachine::SetUp();
        MakeFolders(kOther);
        for (const char *name : {"other.exe", "data.dat", "victim.bak",
                                 "~st00001.bak"})
            WriteFileBytes(std::string(kOther) + "\\" + name, name);
        WriteFileBytes(SystemFile(), "system");
        WriteFileBytes(Profile() + "\\txnvictim.txt", "profile");
        WriteRegString(HKEY_LOCAL_MACHINE, kOtherKey, "Data", "keep");
        WriteRegString(HKEY_LOCAL_MACHINE, kOtherEntry, "UninstallString",
                       "C:\\other\\uninst.exe C:\\other\\other.log");
        WriteRegString(HKEY_CURRENT_USER, "Software\\Wine", "TxnVictim",
                       "keep");
        // The log names another product's entry as its own.
        WriteFileBytes(kTxnLog, "[UnInstKey]\r\nUnInstKey_File=OtherProduct\r\n");
    }

    void TearDown() override
    {
        RemoveTree(kOther);
        DeleteFileA(SystemFile().c_str());
        DeleteFileA((Profile() + "\\txnvictim.txt").c_str());
        DeleteFileA((std::string(kTxnLog) + ".jnl").c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOtherKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInjectedKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\OtherVendor");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOtherEntry);
        HKEY wine;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0,
                          KEY_SET_VALUE, &wine) == ERROR_SUCCESS) {
            RegDeleteValueA(wine, "TxnVictim");
            RegCloseKey(wine);
        }
        TxnMachine::TearDown();
    }

    // Every victim as it was, besides the whole machine.
    void ExpectUntouched(const MachineSnapshot &before, const char *after)
    {
        SCOPED_TRACE(after);
        EXPECT_EQ("", SnapshotDifference(before, Now()));
        EXPECT_TRUE(FileExists("C:\\windows\\win.ini"));
        EXPECT_EQ("system", ReadFileBytes(SystemFile()));
        EXPECT_EQ("profile", ReadFileBytes(Profile() + "\\txnvictim.txt"));
        for (const char *name : {"other.exe", "data.dat", "victim.bak",
                                 "~st00001.bak"})
            EXPECT_EQ(name, ReadFileBytes(std::string(kOther) + "\\" + name));
        EXPECT_EQ("keep", ReadRegString(HKEY_LOCAL_MACHINE, kOtherKey, "Data"));
        EXPECT_NE("<missing>", ReadRegString(HKEY_LOCAL_MACHINE, kOtherEntry,
                                             "UninstallString"));
        EXPECT_EQ("keep", ReadRegString(HKEY_CURRENT_USER, "Software\\Wine",
                                        "TxnVictim"));
        EXPECT_EQ("<missing>",
                  ReadRegString(HKEY_LOCAL_MACHINE, kInjectedKey, "Run"));
        EXPECT_TRUE(FileExists(std::string(kTxnLog) + ".jnl"))
            << "a refused journal stays";
    }

    // uninstall.exe -s keeps the journal (5), setup.exe -s refuses to
    // start over it (13) and names every refused step.
    void ExpectRefusedByBoth(const std::vector<HostileStep> &steps)
    {
        MachineSnapshot before = Now();
        EXPECT_EQ(5, RunUninstall());
        ExpectUntouched(before, "after uninstall.exe -s");
        EXPECT_EQ(13, RunSetup(SmallMedia()));
        ExpectUntouched(before, "after setup.exe -s");
        for (const HostileStep &step : steps)
            EXPECT_TRUE(Reported(step.named)) << step.line;
        EXPECT_TRUE(Reported("journal step refused"));
    }
};

TEST_F(JournalTrust, AHandWrittenJournalChangesNothingTheRunDidNotMake)
{
    std::vector<HostileStep> steps = InProgressSteps();
    WriteJournal("in progress", steps);
    ExpectRefusedByBoth(steps);
}

// A journal that says complete drops backups: only the run's own.
TEST_F(JournalTrust, ACompleteJournalDropsNoBackupOfAnother)
{
    std::string other = kOther;
    std::vector<HostileStep> steps = {
        {"replace victim " + other + "\\data.dat", other + "\\data.dat"},
        {"replace ~st00001 C:\\Program Files\\TxnTest\\..\\OtherProduct\\"
         "data.dat", "..\\OtherProduct"},
    };
    WriteJournal("complete", steps);
    ExpectRefusedByBoth(steps);
}

// A clicked run ends over such a journal as an unattended one does: one
// box names the kept journal, no wizard opens, and the exit code and the
// report's result say the earlier run is stranded, not that the user
// cancelled.
TEST_F(JournalTrust, AClickedRunOverAKeptJournalEndsAsStranded)
{
    std::vector<HostileStep> steps = {{"folder C:\\windows", "C:\\windows"}};
    WriteJournal("in progress", steps);
    MachineSnapshot before = Now();
    SetupProcess setup;
    ASSERT_TRUE(setup.Start(SmallMedia().folder, "-leng -o" + report_));
    std::string caption, text;
    HWND box = WaitForMessageBox(setup, &caption, &text);
    ASSERT_NE((HWND)NULL, box);
    EXPECT_NE(std::string::npos, text.find(std::string(kTxnLog) + ".jnl"))
        << text;
    Answer(box, IDOK);
    EXPECT_EQ(13, setup.WaitForExit());
    CloseRunWindows();
    EXPECT_NE(std::string::npos, LastLine().find("(exit code 13)"))
        << LastLine();
    ExpectUntouched(before, "after a clicked setup.exe");
}

// ---- What a failed run gives back ----

class GiveBack : public TxnMachine {
protected:
    void TearDown() override
    {
        WriteFileBytes(SourcePath(SmallMedia(), "readme.txt"), "readme.txt");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kFileAgentKey);
        TxnMachine::TearDown();
    }

    // The run fails in its last file section, after the shortcuts of the
    // common section are made and the utility's key was replaced.
    int RunFailing()
    {
        DeleteFileA(SourcePath(SmallMedia(), "readme.txt").c_str());
        return RunSetup(SmallMedia());
    }
};

TEST_F(GiveBack, AShortcutThatWasThereAndALongValueComeBack)
{
    std::string group = ProgramsFolder() + "\\" + kTxnGroup;
    std::string link = group + "\\Txn Common Notes.lnk";
    MakeFolders(group);
    WriteFileBytes(link, "the user's own shortcut");
    std::string longPath(3000, 'p');
    WriteRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath", longPath);
    MachineSnapshot before = Now();
    EXPECT_EQ(7, RunFailing());
    EXPECT_EQ("the user's own shortcut", ReadFileBytes(link));
    EXPECT_TRUE(Reported("undone: file " + link + " restored"));
    EXPECT_EQ(longPath,
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
    EXPECT_EQ("", SnapshotDifference(before, Now()));
}

// A value too long for the journal to keep whole is not changed, and the
// report says so.
TEST_F(GiveBack, AValueTooLongToKeepIsNotChanged)
{
    std::string huge(JOURNAL_DATA_SIZE + 1, 'h');
    WriteRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "Huge", huge);
    MachineSnapshot before = Now();
    EXPECT_EQ(7, RunFailing());
    EXPECT_TRUE(Reported("not changed: value Huge of " +
                         std::string(kFileAgentKey)));
    DWORD size = 0;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFileAgentKey,
                                           0, KEY_READ, &key));
    RegQueryValueExA(key, "Huge", NULL, NULL, NULL, &size);
    RegCloseKey(key);
    EXPECT_EQ(huge.size() + 1, size) << "the value stays whole";
    EXPECT_EQ("", SnapshotDifference(before, Now()));
}

// ---- Folder fields the uninstaller could not remove from ----

class FolderFields : public TxnMachine {
protected:
    void TearDown() override
    {
        WritePrivateProfileStringA("Files_File", kEntryKey, NULL,
                                   Script().c_str());
        TxnMachine::TearDown();
    }
    static std::string Script()
    {
        return SmallMedia().folder + "\\eng\\copy_ns.ini";
    }
    static constexpr const char *kEntryKey = "file295";
};

TEST_F(FolderFields, EachIsACopyFailureBeforeTheFirstChange)
{
    struct Row {
        const char *field;
        std::string target;
    } rows[] = {
        {"\\..\\Shared", std::string(kTxnDestination) + "\\..\\Shared\\readme.txt"},
        {"Common", "Common\\readme.txt"},
        {"@SystemDir", "@SystemDir\\readme.txt"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.field);
        WritePrivateProfileStringA(
            "Files_File", kEntryKey,
            (std::string("readme.txt;\\product\\app;") + row.field).c_str(),
            Script().c_str());
        EXPECT_EQ(7, RunSetup(SmallMedia()));
        EXPECT_TRUE(Reported("not copied: " + row.target + " ("));
        EXPECT_TRUE(Reported("rollback: nothing was changed"));
        EXPECT_FALSE(FileExists(SmallMedia().folder + "\\Common"));
        EXPECT_FALSE(FileExists(SmallMedia().folder + "\\@SystemDir"));
    }
    // Nothing was changed by any of them: one look at the whole machine.
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

}  // namespace
