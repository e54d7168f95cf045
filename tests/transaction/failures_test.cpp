// Copies that fail: a source missing from the media rolls the run back
// (exit 7) unless the answer file says OnError=continue (exit 5); in the
// wizard the Abort/Retry/Ignore box decides. A library held open by
// another program is replaced at the restart (exit 3010).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/setup_walker.h"
#include "tests/support/test_support.h"
#include "tests/transaction/txn_machine.h"

namespace {

const char kMissing[] = "readme.txt";

std::string Lowered(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], (DWORD)text.size());
    return text;
}

class Failures : public TxnMachine {
protected:
    void TearDown() override
    {
        WriteFileBytes(SourcePath(SmallMedia(), kMissing), kMissing);
        TxnMachine::TearDown();
    }

    void TakeSourceAway()
    {
        DeleteFileA(SourcePath(SmallMedia(), kMissing).c_str());
    }

    std::string Missing() const
    {
        return std::string(kTxnDestination) + "\\" + kMissing;
    }

    // The report's lines that name path (case-insensitive).
    int LinesNaming(const std::string &path) const
    {
        int count = 0;
        for (const std::string &line : Report())
            count += Lowered(line).find(Lowered(path)) != std::string::npos;
        return count;
    }

    std::string LastLine() const
    {
        std::vector<std::string> lines = Report();
        return lines.empty() ? "<no report>" : lines.back();
    }

    // The wizard walked to its end; boxes answered by answerBox.
    struct Walked {
        std::string problem;
        int exitCode = -1;
        std::vector<std::string> boxes;
        int abortRetryIgnoreBoxes = 0;
    };
    Walked WalkWizard(const std::function<int(bool abortRetryIgnore)> &answer)
    {
        Walked walked;
        SetupProcess setup;
        if (!setup.Start(SmallMedia().folder)) {
            walked.problem = "setup.exe did not start";
            return walked;
        }
        RoadChoices choices;
        choices.destination = kTxnDestination;
        choices.group = kTxnGroup;
        choices.answerBox = [&](HWND box, const std::string &,
                                const std::string &) {
            bool abortRetryIgnore = GetDlgItem(box, IDABORT) != NULL &&
                                    GetDlgItem(box, IDRETRY) != NULL &&
                                    GetDlgItem(box, IDIGNORE) != NULL;
            walked.abortRetryIgnoreBoxes += abortRetryIgnore ? 1 : 0;
            return answer(abortRetryIgnore);
        };
        walked.problem = WalkWholeRoad(setup, choices, nullptr, &walked.boxes);
        walked.exitCode = setup.WaitForExit();
        CloseRunWindows();
        return walked;
    }
};

bool AnyBoxHolds(const std::vector<std::string> &boxes, const std::string &text)
{
    for (const std::string &box : boxes)
        if (box.find(text) != std::string::npos)
            return true;
    return false;
}

TEST_F(Failures, MissingSourceRollsBackWithSevenOrGoesOnWithFive)
{
    TakeSourceAway();
    EXPECT_EQ(7, RunSetup(SmallMedia()));
    EXPECT_TRUE(Reported(Missing()) ||
                Reported(SourcePath(SmallMedia(), kMissing)))
        << "the report must name the file";
    // The library was replaced before the failure: copied, then put back.
    EXPECT_GE(LinesNaming(LibraryPath()), 2) << "each undone step is a line";
    EXPECT_NE(std::string::npos, LastLine().find("(exit code 7)")) << LastLine();
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));

    EXPECT_EQ(5, RunSetup(SmallMedia(), "continue"));
    EXPECT_TRUE(Reported("not copied: " + Missing() + " from " +
                         SourcePath(SmallMedia(), kMissing) + " (error 2: "));
    EXPECT_EQ("complete", LogState());
    EXPECT_EQ(kTxnDataFiles, DataFilesInstalled());
    EXPECT_TRUE(UninstallEntryMade());
}

// Abort: one Abort/Retry/Ignore box naming the missing source and its
// target under the catalog's error caption, the rollback, one box saying
// nothing was changed, exit 7 (failed, the machine is as it was), as in an
// unattended run.
TEST_F(Failures, AbortInTheWizardLeavesTheMachineAsItWas)
{
    TakeSourceAway();
    Walked walked = WalkWizard([](bool abortRetryIgnore) {
        return abortRetryIgnore ? IDABORT : IDOK;
    });
    EXPECT_EQ(1, walked.abortRetryIgnoreBoxes) << walked.problem;
    EXPECT_TRUE(AnyBoxHolds(walked.boxes, "Error: This file could not be copied:"));
    EXPECT_TRUE(AnyBoxHolds(
        walked.boxes, "Source: " + SourcePath(SmallMedia(), kMissing) + "\n"));
    EXPECT_TRUE(AnyBoxHolds(walked.boxes, "Destination: " + Missing() + "\n"));
    EXPECT_TRUE(AnyBoxHolds(walked.boxes,
                            "Setup was cancelled. Nothing was changed."));
    EXPECT_EQ(7, walked.exitCode);
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

TEST_F(Failures, RetryAfterTheFileReappearsGoesOn)
{
    TakeSourceAway();
    Walked walked = WalkWizard([this](bool abortRetryIgnore) {
        if (!abortRetryIgnore)
            return IDOK;
        WriteFileBytes(SourcePath(SmallMedia(), kMissing), kMissing);
        return IDRETRY;
    });
    EXPECT_EQ("", walked.problem);
    EXPECT_EQ(1, walked.abortRetryIgnoreBoxes);
    EXPECT_EQ(0, walked.exitCode);
    EXPECT_EQ(kMissing, ReadFileBytes(Missing()));
    EXPECT_EQ("complete", LogState());
}

// A file damaged on the medium is a failed copy like any other: the box
// names it "damaged on the medium" with its place on the medium, and Retry
// reads it again (a disc cleaned or reseated) and goes on.
TEST_F(Failures, DamagedOnTheMediumRetriedAfterTheDiscIsCleaned)
{
    std::string list = SmallMedia().folder + "\\MEDIA.SUM";
    WriteFileBytes(list, MediaSumList(SmallMedia().folder));
    WriteFileBytes(SourcePath(SmallMedia(), kMissing), "readme.tx+");
    Walked walked = WalkWizard([this](bool abortRetryIgnore) {
        if (!abortRetryIgnore)
            return IDOK;
        WriteFileBytes(SourcePath(SmallMedia(), kMissing), kMissing);
        return IDRETRY;
    });
    DeleteFileA(list.c_str());
    EXPECT_EQ("", walked.problem);
    EXPECT_EQ(1, walked.abortRetryIgnoreBoxes);
    EXPECT_TRUE(AnyBoxHolds(walked.boxes, "damaged on the medium"));
    EXPECT_TRUE(AnyBoxHolds(walked.boxes, SourcePath(SmallMedia(), kMissing)));
    EXPECT_EQ(0, walked.exitCode);
    EXPECT_EQ(kMissing, ReadFileBytes(Missing()));
    EXPECT_EQ("complete", LogState());
}

// The pair of PendingFileRenameOperations that replaces the library at the
// restart: its source (the new file's temporary name), or "".
std::string PendingReplacementOf(const std::string &target)
{
    std::string joined = PendingRenames() + "|";
    std::vector<std::string> items;
    for (size_t start = 0, end; (end = joined.find('|', start)) != std::string::npos;
         start = end + 1)
        items.push_back(joined.substr(start, end - start));
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        const std::string &destination = items[i + 1];
        // "!\??\C:\..." : the leading "!" asks for replacing.
        size_t at = destination.find(":\\");
        if (at != std::string::npos && at > 0 &&
            lstrcmpiA(destination.substr(at - 1).c_str(), target.c_str()) == 0)
            return items[i].substr(items[i].find(":\\") - 1);
    }
    return "";
}

// Whatever the holder shares (nothing; reading, as a loader does; reading
// and deletion), the library waits for the restart.
TEST_F(Failures, LibraryHeldOpenIsReplacedAtTheRestart)
{
    for (DWORD share : {(DWORD)0, (DWORD)FILE_SHARE_READ,
                        (DWORD)(FILE_SHARE_READ | FILE_SHARE_DELETE)}) {
        SCOPED_TRACE(share);
        ResetMachine();
        HANDLE held = CreateFileA(LibraryPath().c_str(), GENERIC_READ, share,
                                  NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        int code = RunSetup(SmallMedia());
        CloseHandle(held);
        EXPECT_EQ(3010, code);
        EXPECT_NE(std::string::npos, LastLine().find("(exit code 3010)"))
            << LastLine();
        EXPECT_TRUE(Reported(LibraryPath()));
        std::string bytes = ReadFileBytes(LibraryPath());
        EXPECT_TRUE(bytes == OldLibrary()) << "in place: " << Describe(bytes);
        std::string waiting = PendingReplacementOf(LibraryPath());
        ASSERT_NE("", waiting) << "pending: " << PendingRenames();
        bytes = ReadFileBytes(waiting);
        EXPECT_TRUE(bytes == NewLibrary(SmallMedia().librarySize))
            << "waiting: " << Describe(bytes);
        char folder[MAX_PATH];
        GetSystemDirectoryA(folder, sizeof(folder));
        EXPECT_EQ(0, lstrcmpiA(folder,
                               waiting.substr(0, waiting.rfind('\\')).c_str()))
            << "the new file waits in the target's folder: " << waiting;
        EXPECT_EQ("complete", LogState());
        DeleteFileA(waiting.c_str());
    }
}

}  // namespace
