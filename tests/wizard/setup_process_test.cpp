// setup.exe started as a process of its own, the way a user starts it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/wizard/wizard_test_support.h"

static const char kCatalog[] =
    "[TITLE]\r\nTOVRIN=Tovrin Setup\r\nCOMPANY=Veltrane\r\n"
    "WELCOME=Welcome\r\n"
    "[BUTTON]\r\nNEXT=Next\r\nCANCEL=Cancel\r\n"
    "[MessageBox]\r\nQUIT_SETUP=Quit?\r\nTITLE_MESSAGE=Setup\r\n";

class SetupProcess {
public:
    SetupProcess(const std::string &exe)
    {
        ZeroMemory(&info_, sizeof(info_));
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof(startup));
        startup.cb = sizeof(startup);
        std::string line = "\"" + exe + "\"";
        started_ = CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0,
                                  NULL, NULL, &startup, &info_) != FALSE;
    }
    ~SetupProcess()
    {
        if (!started_)
            return;
        // Never left behind, whatever a test did.
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    SetupProcess(const SetupProcess &) = delete;
    SetupProcess &operator=(const SetupProcess &) = delete;

    bool started() const { return started_; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE after the time-out.
    DWORD WaitForExit(DWORD timeoutMs)
    {
        WaitForSingleObject(info_.hProcess, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_;
    bool started_;
};

struct WindowSearch {
    DWORD process;
    HWND owner;
    const char *className;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    WindowSearch *search = (WindowSearch *)data;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64];
    GetClassNameA(window, className, sizeof(className));
    if (process != search->process || lstrcmpA(className, search->className))
        return TRUE;
    if (search->owner != NULL && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    if (!IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

static HWND WaitForWindow(DWORD process, const char *className, HWND owner)
{
    WindowSearch search = {process, owner, className, NULL};
    PumpUntil(
        [&] {
            EnumWindows(MatchWindow, (LPARAM)&search);
            return search.found != NULL;
        },
        20000);
    return search.found;
}

class SetupProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A folder of its own: setup.exe, its catalog and a picture.
        exe_ = dir_.Join("setup.exe");
        ASSERT_TRUE(CopyFileA(WinePath(SETUP_EXE).c_str(), exe_.c_str(),
                              FALSE));
        WriteFileBytes(dir_.Join("message.ini"), kCatalog);
        CopyFileA(TestPicture("true.bmp").c_str(),
                  dir_.Join("default.bmp").c_str(), FALSE);
    }

    ScratchDir dir_;
    std::string exe_;
};

TEST_F(SetupProcessTest, QuitAnsweredYesEndsWithCodeZero)
{
    SetupProcess setup(exe_);
    ASSERT_TRUE(setup.started());
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
    EXPECT_EQ(0u, setup.WaitForExit(20000));
}

TEST_F(SetupProcessTest, ClosingTheBackgroundEndsWithCodeZero)
{
    SetupProcess setup(exe_);
    ASSERT_TRUE(setup.started());
    HWND background = WaitForWindow(setup.id(), "Tovrin", NULL);
    ASSERT_NE(nullptr, background);
    ASSERT_NE(nullptr, WaitForWindow(setup.id(), "#32770", background));
    PostMessageA(background, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, setup.WaitForExit(20000));
}

TEST_F(SetupProcessTest, SecondCopyRestoresTheFirstAndEnds)
{
    SetupProcess first(exe_);
    ASSERT_TRUE(first.started());
    HWND background = WaitForWindow(first.id(), "Tovrin", NULL);
    ASSERT_NE(nullptr, background);
    ASSERT_NE(nullptr, WaitForWindow(first.id(), "#32770", background));
    ShowWindow(background, SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(background) != FALSE; }));

    SetupProcess second(exe_);
    ASSERT_TRUE(second.started());
    EXPECT_EQ(0u, second.WaitForExit(20000));
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(background); }));
    DWORD foregroundProcess = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foregroundProcess);
    EXPECT_EQ(first.id(), foregroundProcess);
    // The second copy made no window of its own.
    EXPECT_EQ(nullptr, FindWindowExA(NULL, background, "Tovrin", NULL));

    PostMessageA(background, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.WaitForExit(20000));
}
