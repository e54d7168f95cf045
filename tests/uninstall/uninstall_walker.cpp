// uninstall_walker [--cancel] KEY [SHOTS]: runs the command of the uninstall
// entry KEY (what "Remove" in the list of installed programs runs), answers
// its confirmation with YES (NO with --cancel) and its closing message with
// OK. With SHOTS, before
// each answer it writes SHOTS\request holding the step's name and waits (at
// most 30 s) until the file is gone, so a screenshot can be taken from
// outside. Prints both texts. Exit code: the uninstaller's, or 99 when a
// window did not come.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/e2e/setup_walker.h"

struct BoxSearch {
    DWORD process;
    HWND found;
};

static BOOL CALLBACK MatchBox(HWND window, LPARAM parameter)
{
    BoxSearch *search = (BoxSearch *)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32];
    GetClassNameA(window, className, sizeof(className));
    // A message box is a dialog with the static text of id -1.
    if (owner == search->process && IsWindowVisible(window) &&
        strcmp(className, "#32770") == 0 &&
        GetDlgItem(window, 0xFFFF) != NULL) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND WaitForBox(DWORD process, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        BoxSearch search = {process, NULL};
        EnumWindows(MatchBox, (LPARAM)&search);
        if (search.found != NULL)
            return search.found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

static bool AnswerBox(DWORD process, const std::string &shots,
                      const char *name, int button)
{
    HWND box = WaitForBox(process, 30000);
    if (box == NULL)
        return false;
    Sleep(300);   // let it paint for the screenshot
    char text[2048];
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    printf("%s: %s\n", name, text);
    if (!shots.empty())
        WaitForScreenshot(shots, name);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, button));
    // Wait until it is gone, so the next box is a new one.
    DWORD start = GetTickCount();
    while (IsWindow(box) && GetTickCount() - start < 10000)
        Sleep(50);
    return true;
}

int main(int argc, char **argv)
{
    bool cancel = argc > 1 && strcmp(argv[1], "--cancel") == 0;
    if (cancel) {
        argc--;
        argv++;
    }
    if (argc < 2) {
        fprintf(stderr, "usage: uninstall_walker [--cancel] KEY [SHOTS]\n");
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
                            cancel ? IDNO : IDYES) &&
                  (cancel || AnswerBox(process.dwProcessId, shots,
                                       "uninstall-closing", IDOK));
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
