// Entry point of setup.exe: the mode, one copy at a time, the background
// window, and the program's only message loop.
#include <windows.h>
#include <commctrl.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/exit_codes.h"
#include "core/text/dbcs.h"
#include "core/text/text_split.h"
#include "startup/main_window.h"
#include "startup/media_verify.h"
#include "startup/person_start.h"
#include "startup/start_sequence.h"
#include "startup/unattended.h"

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
    char code[LANGUAGE_CODE_SIZE];
    CommandLineOptions options =
        ParseCommandLine(g_commandLine, code, sizeof(code));
    g_unattended = options.verifyMedia || options.unattended;
    if (options.verifyMedia)
        return RunMediaVerify(g_commandLine);
    if (options.unattended)
        return RunUnattended(g_commandLine);

    // Before the background shows: a second wizard only brings the first
    // one forward.
    int refused = StartBeforeBackground();
    if (refused != START_GOES_ON)
        return refused;

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
