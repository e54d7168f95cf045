// The transaction in process: a journal written ahead of real file and
// registry steps, then rolled back (also twice, as after a kill) or
// committed; files in use replaced at the restart and taken back; a
// journal written by someone else judged before anything is touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/platform.h"
#include "common/registry_writers.h"
#include "core/log/journal_judge.h"
#include "removal/file_remove.h"
#include "tests/support/test_support.h"
#include "transaction/file_replace.h"
#include "transaction/journal_writer.h"
#include "transaction/registry_journal.h"
#include "transaction/transaction.h"

namespace {

// Keys an install run writes: a rollback touches no others.
const char kLibKey[] = "Software\\Vorstmark\\NETLNK32";
const char kNewKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
// The write time every placed file gets, as the copy gives it its
// source's.
const FILETIME kPlacedTime = {0x12345678u, 0x01D00000u};

class Transaction : public testing::Test {
protected:
    std::string Path(const char *relative) { return dir_.Join(relative); }
    std::string log() { return dir_.Join("uninst.log"); }

    // Puts source bytes in place as the copy does: journal first.
    void Place(const std::string &target, const std::string &bytes)
    {
        char tag[JOURNAL_TAG_SIZE];
        ASSERT_TRUE(ChooseSideTag(target.c_str(), tag, sizeof(tag)));
        bool exists = FileExists(target);
        std::string folder = target.substr(0, target.rfind('\\'));
        JournalNewFolders(folder.c_str());
        FileFingerprint print = {
            bytes.size(), ((unsigned long long)kPlacedTime.dwHighDateTime << 32) |
                              kPlacedTime.dwLowDateTime};
        JournalFilePlacement(target.c_str(), tag, exists, &print);
        ASSERT_TRUE(FlushJournal());
        MakeFolders(folder);
        char temporary[MAX_PATH], backup[MAX_PATH];
        FormSidePath(target.c_str(), tag, ".tmp", temporary, sizeof(temporary));
        FormSidePath(target.c_str(), tag, ".bak", backup, sizeof(backup));
        WriteFileBytes(temporary, bytes);
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, NULL,
                                  OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        SetFileTime(file, NULL, NULL, &kPlacedTime);
        CloseHandle(file);
        DWORD error;
        placed_ = PlaceNewFile(temporary, target.c_str(), backup, exists,
                               &error);
    }

    // A run that replaces old.dll, creates new\sub\a.txt, changes one
    // value and creates keys with another.
    void RunSteps()
    {
        WriteFileBytes(Path("old.dll"), "old");
        WriteRegString(HKEY_LOCAL_MACHINE, kLibKey, "Version", "1.0");
        DWORD error = 0;
        ASSERT_TRUE(BeginTransaction(log().c_str(), &error)) << error;
        Place(Path("old.dll"), "new");
        Place(Path("new\\sub\\a.txt"), "a");
        JournalValueChange(HKEY_LOCAL_MACHINE, kLibKey, "Version");
        WriteStringValue(HKEY_LOCAL_MACHINE, kLibKey, "Version", "2.0");
        JournalValueChange(HKEY_LOCAL_MACHINE, kNewKey, "Name");
        WriteStringValue(HKEY_LOCAL_MACHINE, kNewKey, "Name", "x");
        WritePrivateProfileStringA("Files_File", "FILE00",
                                   Path("old.dll").c_str(), log().c_str());
    }

    void ExpectStateBefore()
    {
        EXPECT_EQ("old", ReadFileBytes(Path("old.dll")));
        EXPECT_FALSE(FileExists(Path("new")));
        EXPECT_EQ("1.0", ReadRegString(HKEY_LOCAL_MACHINE, kLibKey, "Version"));
        HKEY key;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                               "Software\\Veltrane", 0,
                                               KEY_READ, &key));
        EXPECT_FALSE(FileExists(log()));
        // Nothing but the old file is left in the folder.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
        int entries = 0;
        do {
            if (found.cFileName[0] != '.') {
                entries++;
                EXPECT_STREQ("old.dll", found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        EXPECT_EQ(1, entries);
    }

    RegistrySandbox registry_;
    ScratchDir dir_;
    PlacedFile placed_ = PLACE_FAILED;
};

}  // namespace

TEST_F(Transaction, RollbackLeavesTheMachineAsItWasAndCanBeRunAgain)
{
    RunSteps();
    EXPECT_EQ("new", ReadFileBytes(Path("old.dll")));
    EXPECT_EQ("a", ReadFileBytes(Path("new\\sub\\a.txt")));
    CloseJournal();
    EXPECT_TRUE(IsInterruptedLog(log().c_str()));
    // A run cut off in the middle of an append leaves a last line that
    // fails its check: it is skipped, and the rest is undone.
    std::string journal = ReadFileBytes(log() + ".jnl");
    WriteFileBytes(Path("keep.txt"), "mine");
    WriteFileBytes(log() + ".jnl",
                   journal + "99:00000000=file ~st00099 " + Path("keep.txt"));

    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    EXPECT_EQ("mine", ReadFileBytes(Path("keep.txt")));
    DeleteFileA(Path("keep.txt").c_str());
    ExpectStateBefore();
    EXPECT_FALSE(FileExists(log() + ".jnl"));

    WriteFileBytes(log() + ".jnl", journal);
    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    ExpectStateBefore();
}

TEST_F(Transaction, RollbackKilledBeforeItsFirstStepAndAfterSomeFinishes)
{
    RunSteps();
    CloseJournal();
    // Half undone by hand: the new file already gone, the value back.
    DeleteFileA(Path("new\\sub\\a.txt").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kLibKey, "Version", "1.0");
    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    ExpectStateBefore();
}

// A profile write rewrites the whole log from its start; a run killed in
// the middle of one leaves the log empty or cut. The journal beside it
// still undoes the run.
TEST_F(Transaction, ALogEmptiedByAKilledWriteIsStillRolledBack)
{
    // On every machine the list of installed programs is there already.
    WriteRegString(HKEY_LOCAL_MACHINE,
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                   "", "");
    RunSteps();
    // The uninstall entry, named in the journal before it is written: the
    // emptied log names it no more.
    const char *kValues[] = {"DisplayName", "UninstallString"};
    char entry[UNINSTALL_KEY_PATH_SIZE];
    ASSERT_TRUE(FormUninstallEntryKey(entry, sizeof(entry), "TxnEntry"));
    ASSERT_TRUE(WriteTransactionKey(log().c_str(), "UnInstKey", "TxnEntry"));
    ASSERT_TRUE(JournalValueChanges(HKEY_LOCAL_MACHINE, entry, kValues, 2));
    std::string command = "C:\\uninstall.exe " + log();
    WriteUninstallEntry("TxnEntry", "Txn", command.c_str(), "");
    CloseJournal();
    WriteFileBytes(log(), "");
    EXPECT_TRUE(IsInterruptedLog(log().c_str()));
    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    ExpectStateBefore();
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, entry, "DisplayName"));
}

TEST_F(Transaction, CommitDropsBackupsAndJournalAndKeepsTheLog)
{
    WriteFileBytes(log(), "[Earlier]\r\nKept=1\r\n");
    RunSteps();
    EXPECT_TRUE(FileExists(log() + ".rbk"));
    EXPECT_EQ(INSTALL_COMMITTED, CommitTransaction());
    EXPECT_FALSE(IsInterruptedLog(log().c_str()));
    EXPECT_EQ("new", ReadFileBytes(Path("old.dll")));
    EXPECT_FALSE(FileExists(log() + ".rbk"));
    EXPECT_FALSE(FileExists(log() + ".jnl"));
    EXPECT_FALSE(FileExists(log() + ".jnl.tmp"));
    EXPECT_EQ(1u, GetPrivateProfileIntA("Earlier", "Kept", 0, log().c_str()));
    // Only old.dll, the log and the new folder: no backup is left.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("~st*").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

// Another program that reads the journal for a moment, without sharing
// its deletion or writing (a scanner, an indexer, a backup agent), does
// not fail the run: the append and the state change wait for it.
TEST_F(Transaction, AJournalHeldForAMomentByAReaderStillCommits)
{
    RunSteps();
    HANDLE reader = CreateFileA((log() + ".jnl").c_str(), GENERIC_READ,
                                FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    HANDLE closer = CreateThread(
        NULL, 0,
        [](void *handle) -> DWORD {
            Sleep(300);
            CloseHandle((HANDLE)handle);
            return 0;
        },
        reader, 0, NULL);
    ASSERT_NE((HANDLE)NULL, closer);
    JournalValueChange(HKEY_LOCAL_MACHINE, kLibKey, "Other");
    EXPECT_TRUE(FlushJournal());
    EXPECT_EQ(INSTALL_COMMITTED, CommitTransaction());
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_FALSE(FileExists(log() + ".jnl"));
    EXPECT_EQ("new", ReadFileBytes(Path("old.dll")));
}

TEST_F(Transaction, RollbackOfARunIntoAnEarlierLogPutsThatLogBack)
{
    std::string earlier = "[Earlier]\r\nKept=1\r\n";
    WriteFileBytes(log(), earlier);
    RunSteps();
    CloseJournal();
    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    EXPECT_EQ(earlier, ReadFileBytes(log()));
    EXPECT_FALSE(FileExists(log() + ".rbk"));
    EXPECT_EQ("old", ReadFileBytes(Path("old.dll")));
}

// Killed after the old file got its backup name and before the new one
// took its place: the target is still the old file, the backup a second
// name of it (a hard link) or, where the volume has no links, its copy.
// The rollback completes and keeps the old file under its own name.
TEST_F(Transaction, RollbackOfARunKilledBetweenBackupAndReplacement)
{
    for (bool linked : {true, false}) {
        WriteFileBytes(Path("old.dll"), "old");
        DWORD error = 0;
        ASSERT_TRUE(BeginTransaction(log().c_str(), &error)) << error;
        char tag[JOURNAL_TAG_SIZE], backup[MAX_PATH];
        ASSERT_TRUE(ChooseSideTag(Path("old.dll").c_str(), tag, sizeof(tag)));
        FileFingerprint print = {3, 0x0123456789ull};   // the new file's
        ASSERT_TRUE(JournalFilePlacement(Path("old.dll").c_str(), tag, true,
                                         &print));
        ASSERT_TRUE(FlushJournal());
        FormSidePath(Path("old.dll").c_str(), tag, ".bak", backup,
                     sizeof(backup));
        if (linked)
            ASSERT_TRUE(CreateHardLinkA(backup, Path("old.dll").c_str(), NULL));
        else
            ASSERT_TRUE(CopyFileA(Path("old.dll").c_str(), backup, TRUE));
        CloseJournal();

        EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()))
            << (linked ? "hard link" : "copy");
        EXPECT_EQ("old", ReadFileBytes(Path("old.dll")));
        EXPECT_FALSE(FileExists(backup));
        EXPECT_FALSE(FileExists(log() + ".jnl"));
    }
}

TEST_F(Transaction, FileInUseIsReplacedAtTheRestartAndRollbackTakesItBack)
{
    WriteFileBytes(Path("old.dll"), "old");
    DWORD error = 0;
    ASSERT_TRUE(BeginTransaction(log().c_str(), &error)) << error;
    HANDLE held = CreateFileA(Path("old.dll").c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Place(Path("old.dll"), "new");
    CloseHandle(held);
    ASSERT_EQ(PLACED_AT_RESTART, placed_);
    EXPECT_EQ("old", ReadFileBytes(Path("old.dll")));
    CloseJournal();

    // MoveFileExA writes the real machine key, past the sandbox.
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
    char buffer[4096];
    DWORD bytes = sizeof(buffer);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "SYSTEM\\CurrentControlSet\\Control\\Session "
                            "Manager",
                            0, KEY_READ, &key));
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL,
                               (BYTE *)buffer, &bytes));
    RegCloseKey(key);
    EXPECT_NE(std::string::npos,
              std::string(buffer, bytes).find(Path("~st")));

    EXPECT_EQ(INSTALL_ROLLED_BACK, RollBackInstallation(log().c_str()));
    bytes = sizeof(buffer);
    std::string left;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL,
                             (BYTE *)buffer, &bytes) == ERROR_SUCCESS)
            left.assign(buffer, bytes);
        RegCloseKey(key);
    }
    EXPECT_EQ(std::string::npos, left.find(Path("~st")));
    EXPECT_EQ("old", ReadFileBytes(Path("old.dll")));
    EXPECT_FALSE(FileExists(log()));
}

TEST_F(Transaction, Win95FamilyReplacementGoesThroughWininitAndComesBack)
{
    std::string wininit = Path("wininit.ini");
    SetWininitPath(wininit.c_str());
    OverridePlatformVersion(0x80000000u);
    WriteFileBytes(Path("target.dll"), "old");
    WriteFileBytes(Path("~st00001.tmp"), "new");
    WriteFileBytes(wininit, "[rename]\r\nNUL=C:\\OTHER.TXT\r\n");
    EXPECT_TRUE(ScheduleReplacement(Path("~st00001.tmp").c_str(),
                                    Path("target.dll").c_str()));
    std::string scheduled = ReadFileBytes(wininit);
    CharLowerA(&scheduled[0]);
    EXPECT_NE(std::string::npos, scheduled.find("nul=c:\\other.txt"));
    EXPECT_NE(std::string::npos, scheduled.find("target.dll=c:\\"));
    EXPECT_NE(std::string::npos, scheduled.find("~st00001.tmp"));
    EXPECT_TRUE(CancelScheduledRename(Path("~st00001.tmp").c_str()));
    std::string cancelled = ReadFileBytes(wininit);
    CharLowerA(&cancelled[0]);
    EXPECT_NE(std::string::npos, cancelled.find("nul=c:\\other.txt"));
    EXPECT_EQ(std::string::npos, cancelled.find("~st00001.tmp"));
    OverridePlatformVersion(0);
    SetWininitPath(NULL);
}

TEST_F(Transaction, AJournalWrittenBySomeoneElseIsJudgedFirst)
{
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Keep", "Value",
                   "v");
    WriteFileBytes(Path("victim.txt"), "mine");
    std::string relative = "file ~st00001 ..\\victim.txt";
    WriteFileBytes(log() + ".jnl",
                   "[Transaction]\r\nState=in progress\r\n"
                   "[Transaction.1]\r\n"
                   // Software\Microsoft\Keep: Value absent, key created
                   "1=key HKLM 536F667477617265\r\n"
                   "2=value HKLM 536F6674776172655C4D6963726F736F66745C4B656570"
                   " 56616C7565 - -\r\n"
                   "3=" + relative + "\r\n"
                   "4=this is no step\r\n");
    EXPECT_EQ(INSTALL_ROLLBACK_LEFT, RollBackInstallation(log().c_str()));
    EXPECT_EQ("v", ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Keep",
                                 "Value"));
    EXPECT_EQ("mine", ReadFileBytes(Path("victim.txt")));
    EXPECT_TRUE(IsInterruptedLog(log().c_str()));   // kept for another try

    // The keys a rollback may create or remove: the run's own, and the
    // uninstall entry its log names.
    JournalScope scope;
    ASSERT_TRUE(FormJournalScope(&scope, "Kit"));
    EXPECT_TRUE(IsScopeKey(&scope, "Software\\Veltrane", true));
    EXPECT_TRUE(IsScopeKey(
        &scope, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kit",
        false));
    for (const char *key :
         {"Software", "Software\\", "Software\\\\x", "Software\\x\\",
          "System\\x", "Software\\Microsoft\\Windows",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other"})
        EXPECT_FALSE(IsScopeKey(&scope, key, true)) << key;
}
