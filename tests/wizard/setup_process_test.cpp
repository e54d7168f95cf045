// setup.exe started as a process of its own, the way a user starts it.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/setup_walker.h"
#include "tests/support/test_support.h"
#include "tests/support/window_search.h"
#include "tests/wizard/wizard_test_support.h"

static const char kCatalog[] =
    "[TITLE]\r\nTOVRIN=Tovrin Setup\r\nCOMPANY=Veltrane\r\n"
    "WELCOME=Welcome\r\n"
    "[BUTTON]\r\nNEXT=Next\r\nCANCEL=Cancel\r\n"
    "[MessageBox]\r\nQUIT_SETUP=Quit?\r\nTITLE_MESSAGE=Setup\r\n";

// A top-level window of the process of the class, owned by owner (NULL:
// any owner), waited for while this thread's messages are dispatched.
static HWND WaitForWindow(DWORD process, const char *className, HWND owner)
{
    HWND found = NULL;
    PumpUntil(
        [&] {
            found = FindProcessWindow(process, [&](HWND window) {
                return HasWindowClass(window, className) &&
                       (owner == NULL || GetWindow(window, GW_OWNER) == owner);
            });
            return found != NULL;
        },
        20000);
    return found;
}

class SetupProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A folder of its own: setup.exe, its catalog and a picture.
        ASSERT_TRUE(CopyFileA(WinePath(SETUP_EXE).c_str(),
                              dir_.Join("setup.exe").c_str(), FALSE));
        WriteFileBytes(dir_.Join("message.ini"), kCatalog);
        CopyFileA(TestPicture("true.bmp").c_str(),
                  dir_.Join("default.bmp").c_str(), FALSE);
    }

    ScratchDir dir_;
};

TEST_F(SetupProcessTest, QuitAnsweredYesEndsAsCancelled)
{
    SetupProcess setup;
    ASSERT_TRUE(setup.Start(dir_.path()));
    HWND background = WaitForWindow(setup.id(), "Tovrin", NULL);
    ASSERT_NE(nullptr, background);
    HWND frame = WaitForWindow(setup.id(), "#32770", background);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("Tovrin Setup", WindowText(background));
    EXPECT_EQ("Welcome", WindowText(frame));

    PostMessageA(frame, WM_COMMAND, 1012, 0);
    HWND question = WaitForWindow(setup.id(), "#32770", frame);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ("Setup", WindowText(question));
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(11, setup.WaitForExit(20000));   // cancelled by the user
}

TEST_F(SetupProcessTest, ClosingTheBackgroundEndsAsCancelled)
{
    SetupProcess setup;
    ASSERT_TRUE(setup.Start(dir_.path()));
    HWND background = WaitForWindow(setup.id(), "Tovrin", NULL);
    ASSERT_NE(nullptr, background);
    ASSERT_NE(nullptr, WaitForWindow(setup.id(), "#32770", background));
    PostMessageA(background, WM_CLOSE, 0, 0);
    EXPECT_EQ(11, setup.WaitForExit(20000));
}

TEST_F(SetupProcessTest, SecondCopyRestoresTheFirstAndEnds)
{
    SetupProcess first;
    ASSERT_TRUE(first.Start(dir_.path()));
    HWND background = WaitForWindow(first.id(), "Tovrin", NULL);
    ASSERT_NE(nullptr, background);
    ASSERT_NE(nullptr, WaitForWindow(first.id(), "#32770", background));
    ShowWindow(background, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(background) != FALSE; }));

    SetupProcess second;
    ASSERT_TRUE(second.Start(dir_.path()));
    // Refused as any second run is (another installation running).
    EXPECT_EQ(8, second.WaitForExit(20000));
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(background); }));
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
    EXPECT_EQ(first.id(), foregroundProcess);
    // The second copy made no window of its own.
    EXPECT_EQ(nullptr, FindWindowExA(NULL, background, "Tovrin", NULL));

    PostMessageA(background, WM_CLOSE, 0, 0);
    EXPECT_EQ(11, first.WaitForExit(20000));
}
