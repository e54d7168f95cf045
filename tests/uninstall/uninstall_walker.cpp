// uninstall_walker [--cancel | --progress] KEY [SHOTS]: runs the command of
// the uninstall entry KEY (what "Remove" in the list of installed programs
// runs), answers its confirmation with YES (NO with --cancel) and its
// closing message with OK. With SHOTS, before each answer it writes
// SHOTS\request holding the step's name and waits (at most 30 s) until the
// file is gone, so a screenshot can be taken from outside; with --progress
// it also asks for one of the progress dialog, once a quarter of the
// removal is done (a product large enough to be seen). Prints both texts.
// Exit code: the uninstaller's, or 99 when a window did not come.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/e2e/setup_walker.h"
#include "tests/support/window_search.h"
#include "uninstall/uninstall_resource.h"

// A message box is a dialog with the static text of id -1.
static HWND WaitForBox(DWORD process, DWORD timeoutMs)
{
    return WaitForProcessWindow(
        process,
        [](HWND window) {
            return IsDialogWindow(window) && GetDlgItem(window, 0xFFFF) != NULL;
        },
        timeoutMs);
}

static bool AnswerBox(DWORD process, const std::string &shots,
                      const char *name, int button, DWORD timeoutMs = 30000)
{
    HWND box = WaitForBox(process, timeoutMs);
    if (box == NULL)
        return false;
    Sleep(300);   // let it paint for the screenshot
    char text[2048];
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    printf("%s: %s\n", name, text);
    if (!shots.empty()) {
        // A folder window that Program Manager opened meanwhile would
        // stand in front of it.
        SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(box);
        Sleep(300);
        WaitForScreenshot(shots, name);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, button));
    // Wait until it is gone, so the next box is a new one.
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 10000)
        Sleep(50);
    return true;
}

// The progress bar's position as a share of its range, or -1 when the
// dialog does not answer.
static double ProgressShare(HWND bar)
{
    DWORD_PTR position = 0, range = 0;
    if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000,
                             &position) ||
        !SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG,
                             1000, &range))
        return -1;
    return range > 0 ? (double)position / (double)range : 0;
}

// Waits for the progress dialog and, once a quarter of the removal is
// done, asks for its screenshot. Returns false when it did not show.
static bool ShootProgress(DWORD process, const std::string &shots)
{
    HWND dialog = WaitForProcessWindow(
        process,
        [](HWND window) {
            return IsDialogWindow(window) &&
                   GetDlgItem(window, IDC_UNINSTALL_BAR) != NULL;
        },
        30000);
    if (dialog == NULL)
        return false;
    HWND bar = GetDlgItem(dialog, IDC_UNINSTALL_BAR);
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && ProgressShare(bar) < 0.25 &&
           GetTickCount() - start < 30000)
        Sleep(20);
    if (!IsWindow(dialog))
        return false;
    printf("uninstall-progress: %.0f%%\n", 100 * ProgressShare(bar));
    if (!shots.empty())
        WaitForScreenshot(shots, "uninstall-progress");
    return true;
}

int main(int argc, char **argv)
{
    bool cancel = argc > 1 && strcmp(argv[1], "--cancel") == 0;
    bool progress = argc > 1 && strcmp(argv[1], "--progress") == 0;
    if (cancel || progress) {
        argc--;
        argv++;
    }
    if (argc < 2) {
        fprintf(stderr, "usage: uninstall_walker [--cancel | --progress] "
                        "KEY [SHOTS]\n");
        return 99;
    }
    std::string key =
        std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") +
        argv[1];
    std::string shots = argc > 2 ? argv[2] : "";
    char command[MAX_PATH * 2] = {};
    DWORD size = sizeof(command) - 1;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS ||
        RegQueryValueExA(opened, "UninstallString", NULL, NULL,
                         (BYTE *)command, &size) != ERROR_SUCCESS) {
        fprintf(stderr, "no uninstall entry %s\n", argv[1]);
        return 99;
    }
    RegCloseKey(opened);
    printf("running: %s\n", command);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process))
        return 99;
    bool walked = AnswerBox(process.dwProcessId, shots, "uninstall-confirm",
                            cancel ? IDNO : IDYES);
    // The closing message is answered even when the progress was missed,
    // so that the uninstaller ends.
    bool progressSeen = !progress || !walked ||
                        ShootProgress(process.dwProcessId, shots);
    if (!progressSeen)
        printf("uninstall-progress: the dialog was not seen at a quarter\n");
    // A large removal may take minutes on a loaded machine.
    walked = walked && (cancel || AnswerBox(process.dwProcessId, shots,
                                            "uninstall-closing", IDOK,
                                            progress ? 300000 : 30000));
    walked = walked && progressSeen;
    DWORD code = 99;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("uninstaller ended with code %lu\n", (unsigned long)code);
    return walked ? (int)code : 99;
}
