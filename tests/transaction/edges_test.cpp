// The transaction at its edges, as processes under Wine: one run at a time
// (a live run's lock refuses a second setup and the uninstaller, a killed
// one frees it), a journal that cannot be written (refused before the
// first change, or rolled back when it fails mid-run), a log path of the
// full 259 characters, a recovery that can undo only part of a killed run,
// and a full destination disk named as such. The small drive Q: (see
// tests/faults/small-drive) is the full volume.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/transaction/txn_machine.h"

namespace {

const char kSmallDrive[] = "Q:\\";
// The same volume through a folder of C:: the free-space check before the
// run judges C: there, so the run starts and meets the full volume itself.
const char kSmallDriveFolder[] = "C:\\small-drive\\";

// setup.exe -s as a process the test holds: paused, killed or awaited.
class HeldProcess {
public:
    ~HeldProcess()
    {
        if (started_) {
            Kill();
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }
    bool Start(const std::string &commandLine, const std::string &folder)
    {
        std::string line = commandLine;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        started_ = CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL,
                                  folder.c_str(), &startup, &process_) != 0;
        return started_;
    }
    bool Running() const
    {
        return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
    }
    void Pause() { SuspendThread(process_.hThread); }
    void Kill()
    {
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
        }
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

class Edges : public TxnMachine {
protected:
    void TearDown() override
    {
        RewriteScript(SmallMedia(), kTxnLog);
        RemoveTree(std::string(kSmallDrive) + "edge");
        DeleteFileA((std::string(kSmallDrive) + "filler.bin").c_str());
        TxnMachine::TearDown();
    }

    static bool HasSmallDrive()
    {
        return GetDriveTypeA(kSmallDrive) != DRIVE_NO_ROOT_DIR;
    }

    // Fills the small drive but for about room bytes.
    static void FillSmallDrive(size_t room)
    {
        std::string filler = std::string(kSmallDrive) + "filler.bin";
        DeleteFileA(filler.c_str());
        ULARGE_INTEGER free;
        ASSERT_TRUE(GetDiskFreeSpaceExA(kSmallDrive, &free, NULL, NULL));
        size_t size = free.QuadPart > room ? (size_t)free.QuadPart - room : 0;
        HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, NULL,
                                  CREATE_ALWAYS, 0, NULL);
        std::string block(65536, 'f');
        while (size > 0) {
            DWORD part = (DWORD)std::min(size, block.size());
            DWORD written = 0;
            if (!WriteFile(file, block.data(), part, &written, NULL) ||
                written == 0)
                break;
            size -= written;
        }
        CloseHandle(file);
    }

    static int FilesBelow(const std::string &folder)
    {
        std::vector<std::string> files, folders;
        ListTree(folder, &files, &folders);
        return (int)files.size();
    }
};

// A live run holds the lock: a second setup and the uninstaller are
// refused at once and change nothing. Killed, the run frees the lock, and
// the uninstaller then undoes it.
TEST_F(Edges, ALiveRunRefusesOthersAndAKilledOneLeavesItsRecoveryFree)
{
    HeldProcess live;
    ASSERT_TRUE(live.Start(SetupCommandLine(SmallMedia(), report_),
                           SmallMedia().folder));
    DWORD start = GetTickCount();
    while (live.Running() && DataFilesInstalled() < 30 &&
           GetTickCount() - start < 60000)
        Sleep(1);
    live.Pause();
    ASSERT_TRUE(live.Running()) << "the run ended first: " << DescribeState();
    std::string held = DescribeState();

    EXPECT_EQ(8, RunUninstall()) << "uninstall during a live setup";
    EXPECT_EQ(held, DescribeState());
    std::string second = scratch_.Join("second.txt");
    EXPECT_EQ(8, RunProcessEndedWhen(SetupCommandLine(SmallMedia(), second),
                                     SmallMedia().folder, nullptr));
    EXPECT_NE(std::string::npos,
              ReadFileBytes(second).find("another installation is running"))
        << ReadFileBytes(second);
    EXPECT_EQ(held, DescribeState());

    live.Kill();
    EXPECT_EQ("in progress", LogState());
    EXPECT_EQ(0, RunUninstall()) << "the killed run's lock is free";
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

// A journal that cannot be written before the first change refuses the
// run: exit 12, a report line naming the file and why, nothing changed.
TEST_F(Edges, AJournalThatCannotBeWrittenRefusesTheRunWithNothingChanged)
{
    const std::string journal = std::string(kTxnLog) + ".jnl";
    // Folders of 8.3 names, which have no shorter form: the log's side
    // names cannot fit beside a log at 256 characters.
    std::string deep = "C:\\edgelogs";
    while (deep.size() < 250)
        deep += "\\aaaaaaaa";
    deep.resize(250);
    MakeFolders(deep);
    struct Case {
        const char *name;
        std::function<void()> arrange;
        std::string log;
        const char *reason;
    };
    Case cases[] = {
        {"a read-only file in the journal's place",
         [&] {
             WriteFileBytes(journal, "[Transaction]\r\n");
             SetFileAttributesA(journal.c_str(), FILE_ATTRIBUTE_READONLY);
             ASSERT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
                       GetFileAttributesA(journal.c_str()) &
                           FILE_ATTRIBUTE_READONLY);
         },
         kTxnLog, "(error 5:"},
        {"a folder in the journal's place",
         [&] { MakeFolders(journal); }, kTxnLog, "cannot be written (error"},
        {"side names that do not fit", [] {}, deep + "\\l.log",
         "do not fit a path"},
        {"a full volume",
         [&] {
             if (HasSmallDrive())
                 FillSmallDrive(0);
         },
         std::string(kSmallDriveFolder) + "edge.log", "(error 112:"},
    };
    MachineSnapshot before = Now();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.log.compare(0, strlen(kSmallDriveFolder), kSmallDriveFolder) ==
                0 &&
            !HasSmallDrive()) {
            printf("skipped (%s): the small drive Q: is not mapped\n", c.name);
            continue;
        }
        RewriteScript(SmallMedia(), c.log);
        c.arrange();
        EXPECT_EQ(12, RunSetup(SmallMedia())) << LastLine();
        EXPECT_TRUE(Reported(c.reason)) << LastLine();
        EXPECT_TRUE(Reported("journal: ")) << LastLine();
        EXPECT_NE(std::string::npos, LastLine().find("(exit code 12)"))
            << LastLine();
        EXPECT_FALSE(FileExists(c.log)) << "no log is begun";
        // What the case put there is as it was.
        EXPECT_TRUE(c.log != kTxnLog ||
                    GetFileAttributesA(journal.c_str()) !=
                        INVALID_FILE_ATTRIBUTES);
        SetFileAttributesA(journal.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(journal.c_str());
        RemoveDirectoryA(journal.c_str());
        EXPECT_EQ("", SnapshotDifference(before, Now()));
    }
    RemoveTree("C:\\edgelogs");
}

// A journal that fills its volume mid-run: the steps it could not record
// are not taken, the run is rolled back, and the report says why. More
// than 600 entries, so that batches fill the journal's buffer.
TEST_F(Edges, AJournalThatFailsMidRunIsRolledBack)
{
    if (!HasSmallDrive())
        GTEST_SKIP() << "the small drive Q: is not mapped";
    const std::string log = std::string(kSmallDriveFolder) + "edge.log";
    RewriteScript(SmallMedia(), log, 640);
    FillSmallDrive(48 * 1024);
    MachineSnapshot before = Now();
    int code = RunSetup(SmallMedia());
    std::string last = LastLine();
    EXPECT_TRUE(code == 7 || code == 14) << last;
    EXPECT_TRUE(
        Reported("journal: C:\\small-drive\\edge.log.jnl cannot be written"))
        << last;
    EXPECT_TRUE(Reported("rollback:")) << last;
    if (code == 7) {
        EXPECT_EQ("", SnapshotDifference(before, Now()));
    } else {
        EXPECT_TRUE(Reported("could not be undone")) << last;
    }
    EXPECT_FALSE(FileExists(log + ".jnl.tmp"));
}

// At the log path's limit the journal takes a shorter name in the same
// folder: a run killed there is undone by the uninstaller, and a run that
// is not killed installs and uninstalls.
TEST_F(Edges, ALogPathOfTheFullLengthKeepsItsTransaction)
{
    const std::string top = "C:\\Edge Logs";
    std::string folder = top + "\\" + std::string(160, 'L');
    std::string log = folder + "\\";
    log += std::string(259 - log.size() - 4, 'n') + ".log";
    ASSERT_EQ(259u, log.size());
    RewriteScript(SmallMedia(), log);
    // Nothing but the log's own folders may stay.
    auto leftBesidesTheFolders = [&] {
        int files = FilesBelow(top);
        RemoveTree(top);
        return files;
    };

    MakeFolders(folder);
    int code = RunSetup(SmallMedia(), "", [] {
        return DataFilesInstalled() >= kTxnDataFiles / 2;
    });
    EXPECT_EQ(kEndedFromOutside, code) << LastLine();
    EXPECT_GT(DataFilesInstalled(), 0);
    EXPECT_EQ(0, RunUninstall(nullptr, log));
    EXPECT_EQ(0, leftBesidesTheFolders());
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));

    // Not killed, the run commits: its side files are gone, the log
    // stays. (The uninstall entry's command cannot hold a log path this
    // long beside the uninstaller's own, so it is not uninstalled here.)
    MakeFolders(folder);
    EXPECT_EQ(0, RunSetup(SmallMedia())) << LastLine();
    EXPECT_EQ(kTxnDataFiles, DataFilesInstalled());
    EXPECT_EQ(1, leftBesidesTheFolders()) << "the log alone";
}

// A killed run whose new library is held open can be undone only in part.
// Its journal is kept: setup refuses to start over it (exit 13, the
// journal named) and the uninstaller keeps it (exit 5), until the library
// is free and a rollback completes it.
TEST_F(Edges, APartialRecoveryIsNeverForgotten)
{
    RunSetup(SmallMedia(), "", [] {
        return ReadRegString(HKEY_LOCAL_MACHINE,
                             "Software\\Veltrane\\CaptureKit\\FileAgent",
                             "InstallPath") != "<missing>";
    });
    ASSERT_EQ("in progress", LogState()) << DescribeState();
    HANDLE held = CreateFileA(LibraryPath().c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    for (int attempt = 0; attempt < 2; attempt++) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(13, RunSetup(SmallMedia()));
        EXPECT_TRUE(Reported(std::string(kTxnLog) + ".jnl is kept"))
            << LastLine();
        EXPECT_TRUE(Reported("NOT restored")) << "the stranded file is named";
        EXPECT_EQ("in progress", LogState());
    }
    EXPECT_EQ(5, RunUninstall());
    EXPECT_EQ("in progress", LogState());
    CloseHandle(held);

    EXPECT_EQ(0, RunSetup(SmallMedia())) << LastLine();
    EXPECT_EQ("complete", LogState());
    EXPECT_EQ(0, RunUninstall());
    EXPECT_EQ("", SnapshotDifference(BeforeWithUpgradedLibrary(), Now()));
}

// A destination disk that fills up is named as such in the report.
TEST_F(Edges, AFullDiskIsReportedAsAFullDisk)
{
    if (!HasSmallDrive())
        GTEST_SKIP() << "the small drive Q: is not mapped";
    Ini answers;
    answers.Set("Setup", "Language", "eng")
        .Set("Setup", "Destination", "C:\\small-drive\\edge")
        .Set("Setup", "Report", report_);
    WriteFileBytes(SmallMedia().folder + "\\full.ini", answers.Text());
    FillSmallDrive(64 * 1024);
    EXPECT_EQ(7, RunProcessEndedWhen("\"" + SmallMedia().folder +
                                         "\\setup.exe\" -s -afull.ini",
                                     SmallMedia().folder, nullptr));
    CloseRunWindows();
    EXPECT_TRUE(Reported("not copied: C:\\small-drive\\edge\\")) << LastLine();
    EXPECT_TRUE(Reported("(error 112:")) << LastLine();
    EXPECT_FALSE(Reported("does not fit a path"));
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

}  // namespace
