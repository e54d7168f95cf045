// Runs killed (TerminateProcess, as a power cut ends them) at instants
// spread over the whole install run, each instant found by watching what
// the run has done so far. After each kill the machine must come back as
// it was: through "uninstall.exe -s LOG" (round A), or through the next
// "setup.exe -s", which rolls the killed run back and installs, and a
// later uninstall (round B). The sweep's table goes to the test output.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/transaction/txn_machine.h"

namespace {

const char kLibraryVersionKey[] = "Software\\Vorstmark\\NETLNK32";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

struct Instant {
    std::string name;
    std::function<bool()> reached;
};

std::vector<Instant> Instants(size_t oldLibrarySize)
{
    std::vector<Instant> instants = {
        {"log begun", [] { return FileExists(kTxnLog); }},
        {"library being replaced",
         [oldLibrarySize] {
             WIN32_FILE_ATTRIBUTE_DATA data;
             return !GetFileAttributesExA(TxnMachine::LibraryPath().c_str(),
                                          GetFileExInfoStandard, &data) ||
                    data.nFileSizeLow != oldLibrarySize;
         }},
        {"library version written",
         [] {
             return ReadRegString(HKEY_LOCAL_MACHINE, kLibraryVersionKey,
                                  "Version") == "2.1.0";
         }},
        {"common shortcut",
         [] { return TxnMachine::ShortcutMade("Txn Common Notes"); }},
    };
    for (int files : {1, kTxnDataFiles / 2, kTxnDataFiles - 2}) {
        instants.push_back({std::to_string(files) + " data files", [files] {
                                return TxnMachine::DataFilesInstalled() >= files;
                            }});
    }
    instants.push_back({"program shortcuts",
                        [] { return TxnMachine::ShortcutMade("Txn Read Me"); }});
    instants.push_back({"product registry",
                        [] {
                            return ReadRegString(HKEY_LOCAL_MACHINE,
                                                 kFileAgentKey, "InstallPath") !=
                                   "<missing>";
                        }});
    instants.push_back({"uninstall entry",
                        [] { return TxnMachine::UninstallEntryMade(); }});
    instants.push_back({"committed",
                        [] { return TxnMachine::LogState() == "complete"; }});
    return instants;
}

// "as before", or the first differences.
std::string Verdict(const std::string &difference)
{
    if (difference.empty())
        return "as before";
    size_t lines = 0;
    for (char c : difference)
        lines += c == '\n';
    // A long difference ends with "  ... N differences in all".
    size_t all = difference.rfind("  ... ");
    std::string count = all != std::string::npos
                            ? std::to_string(atoi(difference.c_str() + all + 6))
                            : std::to_string(lines);
    std::string first = difference.substr(2, difference.find('\n') - 2);
    return count + " differences, first " + first.substr(0, 120);
}

struct Row {
    std::string instant, foundA, afterA, foundB, afterB;
};

class KillSweep : public TxnMachine {
protected:
    // Runs setup.exe -s until the instant; returns what the kill left.
    std::string KillAt(const Instant &instant)
    {
        int code = RunSetup(SmallMedia(), "", instant.reached);
        std::string state = DescribeState();
        if (code != kEndedFromOutside)
            state += " (the run ended first, code " + std::to_string(code) + ")";
        return state;
    }

    bool Committed() const { return LogState() == "complete"; }

    // Round A: the uninstaller undoes the killed run (or removes the
    // committed one).
    Row RoundA(const Instant &instant)
    {
        Row row;
        row.instant = instant.name;
        ResetMachine();
        row.foundA = KillAt(instant);
        bool committed = Committed();
        int code = RunUninstall();
        std::string difference = SnapshotDifference(
            committed ? BeforeWithUpgradedLibrary() : Before(), Now());
        EXPECT_EQ(0, code) << instant.name;
        EXPECT_EQ("", difference) << instant.name << ", found: " << row.foundA;
        row.afterA = "uninstall " + std::to_string(code) + ": " +
                     Verdict(difference);
        return row;
    }

    // Round B: the next setup rolls back and installs; a later uninstall
    // leaves the machine as before.
    void RoundB(const Instant &instant, Row *row)
    {
        ResetMachine();
        row->foundB = KillAt(instant);
        std::string killedState = LogState();
        int code = RunSetup(SmallMedia());
        if (killedState == "complete") {
            EXPECT_EQ(3, code) << instant.name;   // installed already
        } else {
            EXPECT_EQ(0, code) << instant.name;
            if (killedState == "in progress") {
                EXPECT_TRUE(Reported("undone") || Reported("rolled back"))
                    << instant.name << ": no report line on the undone run";
            }
        }
        EXPECT_EQ("complete", LogState()) << instant.name;
        EXPECT_EQ(kTxnDataFiles, DataFilesInstalled()) << instant.name;
        std::string installed = DescribeState();
        int uninstalled = RunUninstall();
        std::string difference =
            SnapshotDifference(BeforeWithUpgradedLibrary(), Now());
        EXPECT_EQ(0, uninstalled) << instant.name;
        EXPECT_EQ("", difference) << instant.name << ", found: " << row->foundB;
        row->afterB = "setup " + std::to_string(code) + " (" + installed +
                      "), uninstall " + std::to_string(uninstalled) + ": " +
                      Verdict(difference);
    }
};

void PrintTable(const std::vector<Row> &rows)
{
    printf("\nKill sweep: setup.exe -s ended at each instant\n");
    printf("| instant | state found (A) | after uninstall.exe -s | "
           "state found (B) | after setup.exe -s, then uninstall |\n");
    printf("|---|---|---|---|---|\n");
    for (const Row &row : rows)
        printf("| %s | %s | %s | %s | %s |\n", row.instant.c_str(),
               row.foundA.c_str(), row.afterA.c_str(), row.foundB.c_str(),
               row.afterB.c_str());
    fflush(stdout);
}

TEST_F(KillSweep, EveryKilledRunIsUndoneByUninstallOrByTheNextSetup)
{
    std::vector<Row> rows;
    std::vector<Instant> instants = Instants(OldLibrary().size());
    ASSERT_GE(instants.size(), 10u);
    for (const Instant &instant : instants) {
        Row row = RoundA(instant);
        RoundB(instant, &row);
        rows.push_back(row);
    }
    PrintTable(rows);
}

// The files that appear in a folder, told by the system as they appear
// (listing a System folder every millisecond would be slower than the
// copy it watches), and their sizes.
class FolderWatch {
public:
    explicit FolderWatch(const std::string &folder) : folder_(folder)
    {
        folderHandle_ = CreateFileA(
            folder.c_str(), FILE_LIST_DIRECTORY,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
            NULL);
        overlapped_.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
        Ask();
    }
    ~FolderWatch()
    {
        CancelIo(folderHandle_);
        CloseHandle(folderHandle_);
        CloseHandle(overlapped_.hEvent);
    }
    bool Watching() const { return folderHandle_ != INVALID_HANDLE_VALUE; }

    // Whether a file whose name ends in ending appeared.
    bool Appeared(const std::string &ending)
    {
        Collect();
        for (const std::string &name : appeared_)
            if (name.size() >= ending.size() &&
                lstrcmpiA(name.c_str() + name.size() - ending.size(),
                          ending.c_str()) == 0)
                return true;
        return false;
    }

    // The largest of the files that appeared, and of the one named.
    ULONGLONG LargestNew(const char *alsoThis, ULONGLONG unlessOfSize)
    {
        Collect();
        ULONGLONG largest = 0;
        for (const std::string &name : appeared_)
            largest = std::max(largest, SizeOf(name));
        ULONGLONG also = SizeOf(alsoThis);
        return also != unlessOfSize ? std::max(largest, also) : largest;
    }

private:
    void Ask()
    {
        ResetEvent(overlapped_.hEvent);
        ReadDirectoryChangesW(folderHandle_, changes_, sizeof(changes_), FALSE,
                              FILE_NOTIFY_CHANGE_FILE_NAME |
                                  FILE_NOTIFY_CHANGE_SIZE,
                              NULL, &overlapped_, NULL);
    }
    void Collect()
    {
        DWORD got = 0;
        if (WaitForSingleObject(overlapped_.hEvent, 0) != WAIT_OBJECT_0 ||
            !GetOverlappedResult(folderHandle_, &overlapped_, &got, FALSE))
            return;
        for (DWORD at = 0; got != 0 && at + sizeof(FILE_NOTIFY_INFORMATION) <= got;) {
            const FILE_NOTIFY_INFORMATION *change =
                (const FILE_NOTIFY_INFORMATION *)((const BYTE *)changes_ + at);
            char name[MAX_PATH] = "";
            WideCharToMultiByte(CP_ACP, 0, change->FileName,
                                (int)(change->FileNameLength / sizeof(WCHAR)),
                                name, sizeof(name) - 1, NULL, NULL);
            if (change->Action == FILE_ACTION_ADDED ||
                change->Action == FILE_ACTION_RENAMED_NEW_NAME)
                appeared_.insert(name);
            if (change->NextEntryOffset == 0)
                break;
            at += change->NextEntryOffset;
        }
        Ask();
    }
    ULONGLONG SizeOf(const std::string &name) const
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA((folder_ + "\\" + name).c_str(),
                                  GetFileExInfoStandard, &data))
            return 0;
        return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    }

    std::string folder_;
    HANDLE folderHandle_;
    OVERLAPPED overlapped_ = {};
    DWORD changes_[16384];
    std::set<std::string> appeared_;
};

std::string SystemFolder()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    return system;
}

// A run killed while it copies a large shared library leaves the old
// library or the whole new one, never a mix.
TEST_F(KillSweep, LibraryKilledWhileCopiedHoldsOldOrNewBytesWhole)
{
    const TxnMedia &media = LargeMedia();
    std::string oldBytes = OldLibrary();
    std::string newBytes = NewLibrary(media.librarySize);
    std::set<std::string> names;
    ListTree(SystemFolder(), &names);
    // As soon as the copy shows, then with about half of it written.
    for (ULONGLONG written : {(ULONGLONG)1, (ULONGLONG)media.librarySize / 2}) {
        SCOPED_TRACE(written);
        ResetMachine();
        FolderWatch watch(SystemFolder());
        ASSERT_TRUE(watch.Watching());
        int code = RunSetup(media, "", [&] {
            return watch.LargestNew("NETLNK32.DLL", oldBytes.size()) >= written;
        });
        std::string bytes = ReadFileBytes(LibraryPath());
        printf("killed with %llu new bytes in the System folder: %s%s\n",
               (unsigned long long)written, DescribeState().c_str(),
               code == kEndedFromOutside ? "" : " (the run ended first)");
        EXPECT_TRUE(bytes == oldBytes || bytes == newBytes)
            << "the library holds " << Describe(bytes);
        EXPECT_EQ(0, RunUninstall());
        bytes = ReadFileBytes(LibraryPath());
        EXPECT_TRUE(bytes == oldBytes) << "after the rollback: " << Describe(bytes);
        std::set<std::string> after;
        ListTree(SystemFolder(), &after);
        EXPECT_TRUE(names == after) << "the System folder changed";
    }
}

// A run killed as soon as the library's backup shows, between keeping the
// old file and putting the new one in its place, leaves a library: the
// old one or the whole new one, never none.
TEST_F(KillSweep, LibraryKilledBetweenItsBackupAndItsReplacementIsNeverAbsent)
{
    FolderWatch watch(SystemFolder());
    ASSERT_TRUE(watch.Watching());
    int code = RunSetup(SmallMedia(), "", [&] { return watch.Appeared(".bak"); });
    std::string bytes = ReadFileBytes(LibraryPath());
    printf("killed as the backup appeared: %s%s\n", DescribeState().c_str(),
           code == kEndedFromOutside ? "" : " (the run ended first)");
    EXPECT_EQ(kEndedFromOutside, code);
    EXPECT_TRUE(bytes == OldLibrary() ||
                bytes == NewLibrary(SmallMedia().librarySize))
        << "the library holds " << Describe(bytes);
    EXPECT_EQ(0, RunUninstall());
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

// A rollback killed halfway and run again still ends with the machine as
// it was: by uninstall.exe, and by the next setup.exe.
TEST_F(KillSweep, RollbackKilledHalfwayFinishesWhenRunAgain)
{
    const int installed = kTxnDataFiles * 3 / 4;
    auto killRunInstalling = [&] {
        ResetMachine();
        RunSetup(SmallMedia(), "", [&] { return DataFilesInstalled() >= installed; });
        return DescribeState();
    };
    // Ended once half of what the killed run copied has been taken away.
    auto halfUndone = [&] { return DataFilesInstalled() <= installed / 2; };

    std::string killed = killRunInstalling();
    int code = RunUninstall(halfUndone);
    printf("uninstall.exe ended in its rollback (%s): %s\n",
           code == kEndedFromOutside ? "killed" : "it ended first",
           DescribeState().c_str());
    if (code == kEndedFromOutside) {
        EXPECT_TRUE(FileExists(kTxnLog)) << "the journal must outlive the kill";
    }
    EXPECT_EQ(0, RunUninstall()) << killed;
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));

    killed = killRunInstalling();
    code = RunSetup(SmallMedia(), "", halfUndone);
    printf("setup.exe ended in its rollback (%s): %s\n",
           code == kEndedFromOutside ? "killed" : "it ended first",
           DescribeState().c_str());
    EXPECT_EQ(0, RunSetup(SmallMedia())) << killed;
    EXPECT_EQ("complete", LogState());
    EXPECT_EQ(0, RunUninstall());
    EXPECT_EQ("", SnapshotDifference(BeforeWithUpgradedLibrary(), Now()));
}

}  // namespace

namespace {

// The comparison the sweep relies on sees each kind of change, and the
// reset between cases puts every one back.
TEST_F(TxnMachine, SnapshotSeesEachChangeAndResetUndoesIt)
{
    MakeFolders(std::string(kTxnDestination));
    WriteFileBytes(std::string(kTxnDestination) + "\\stray.txt", "x");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Vorstmark\\NETLNK32",
                   "Version", "9.9.9");
    WriteFileBytes(LibraryPath(), OldLibrary() + "x");
    RestorePendingRenames("\\??\\C:\\stray.tmp|!\\??\\C:\\stray.dll");
    std::string difference = SnapshotDifference(Before(), Now());
    for (const char *change :
         {"added: C:\\Program Files\\TxnTest\\FileAgent\\stray.txt",
          "\"Version\"=\"9.9.9\"", "changed: pending renames",
          "changed: bytes of "})
        EXPECT_NE(std::string::npos, difference.find(change)) << change;
    ResetMachine();
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
    EXPECT_EQ("", SnapshotDifference(BeforeWithUpgradedLibrary(),
                                     BeforeWithUpgradedLibrary()));
    EXPECT_NE(std::string::npos,
              SnapshotDifference(Before(), BeforeWithUpgradedLibrary())
                  .find("\"Version\"=\"2.1.0\""));
}

}  // namespace
