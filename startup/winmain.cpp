// Entry point of setup.exe: one copy at a time, the background window,
// and the program's only message loop.
#include <windows.h>
#include <commctrl.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/exit_codes.h"
#include "core/text/dbcs.h"
#include "core/text/text_split.h"
#include "progress/run_boxes.h"
#include "startup/main_window.h"
#include "startup/media_verify.h"
#include "startup/unattended.h"
#include "transaction/run_lock.h"

typedef BOOL(WINAPI *SetDllDirectoryFunction)(LPCSTR);

// Setup is often started from a download folder full of other files: an
// empty DLL directory takes the current directory out of the DLL search
// (the program's own folder still comes first). Looked up at run time
// because Windows 95 to 2000 do not have the call.
static void KeepCurrentDirectoryOutOfDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "SetDllDirectoryA") : NULL;
    if (found == NULL)
        return;
    SetDllDirectoryFunction setDllDirectory;
    static_assert(sizeof(setDllDirectory) == sizeof(found), "code pointers");
    CopyMemory(&setDllDirectory, &found, sizeof(found));
    setDllDirectory("");
}

// A walked run keeps the report -o names, as an unattended run does.
static void OpenWalkedReport(const CommandLineOptions *options)
{
    SetMsiExitCodes(options->msiCodes, false);
    if (options->reportGiven && !options->reportMayBeCut)
        OpenInstallReport(options->reportFile);
}

// A second copy brings the first one forward and ends. Returns false when
// no first copy shows a window here: the lock is held by a run elsewhere
// (unattended, the uninstaller, another session).
static bool HandOverToFirstCopy()
{
    HWND first = FindWindowA("Tovrin", NULL);
    if (first == NULL)
        return false;
    if (IsIconic(first))
        ShowWindow(first, SW_RESTORE);
    SetForegroundWindow(first);
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int)
{
    KeepCurrentDirectoryOutOfDllSearch();
    g_instance = instance;
    if (previous == NULL && !RegisterMainWindowClass(instance))
        return 0;
    // A longer command line is cut to the copy's width.
    CopyText(g_commandLine, sizeof(g_commandLine),
             commandLine != NULL ? commandLine : "");
    if (AsksForMediaCheck(g_commandLine))
        return RunMediaVerify(g_commandLine);
    char code[LANGUAGE_CODE_SIZE];
    CommandLineOptions options =
        ParseCommandLine(g_commandLine, code, sizeof(code));
    if (options.unattended)
        return RunUnattended(g_commandLine);

    // Refused either way: a second wizard brings the first one forward,
    // an uninstall or unattended run holding the lock is named in a box.
    if (!TakeRunLock()) {
        if (!HandOverToFirstCopy())
            ShowAnotherRunBox(NULL);
        return UNATTENDED_BUSY;
    }

    OpenWalkedReport(&options);
    InitCommonControls();
    g_backgroundWindow = CreateBackgroundWindow(instance);
    if (g_backgroundWindow == NULL)
        return EndRun(UNATTENDED_NOT_STARTED, "not started, no window");
    UpdateWindow(g_backgroundWindow);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A quit message with a code of its own, or a broken message queue
    // (-1), is a start that failed; otherwise the run's result.
    if (got != 0 || message.wParam != 0)
        return EndRun(UNATTENDED_NOT_STARTED, "not started, no wizard");
    return EndRunWithResult();
}
