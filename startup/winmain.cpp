// Entry point of setup.exe: one copy at a time, the background window,
// and the program's only message loop.
#include <windows.h>
#include <commctrl.h>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "core/text/text_split.h"
#include "core/exit_codes.h"
#include "install/copy_failure_box.h"
#include "install/run_lock.h"
#include "startup/main_window.h"
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

static bool AsksForUnattendedRun(const char *commandLine)
{
    char code[LANGUAGE_CODE_SIZE];
    return ParseCommandLine(commandLine, code, sizeof(code)).unattended;
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
    if (AsksForUnattendedRun(g_commandLine))
        return RunUnattended(g_commandLine);

    if (!TakeRunLock()) {
        if (HandOverToFirstCopy())
            return 0;
        ShowAnotherRunBox(NULL);
        return UNATTENDED_BUSY;
    }

    InitCommonControls();
    g_backgroundWindow = CreateBackgroundWindow(instance);
    if (g_backgroundWindow == NULL)
        return 1;
    UpdateWindow(g_backgroundWindow);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // The quit message's code; -1 is a broken message queue.
    return got == 0 ? (int)message.wParam : 1;
}
