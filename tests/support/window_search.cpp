#include "tests/support/window_search.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct WindowSearch {
    DWORD process;
    const std::function<bool(HWND)> *match;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    WindowSearch *search = (WindowSearch *)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window) ||
        !(*search->match)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD process, const std::function<bool(HWND)> &match)
{
    WindowSearch search = {process, &match, NULL};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

DWORD ScaledTimeout(DWORD timeoutMs)
{
    static DWORD scale = 0;
    if (scale == 0) {
        char text[16] = "";
        GetEnvironmentVariableA("SETUP_TIMEOUT_SCALE", text, sizeof(text));
        scale = (DWORD)atoi(text);
        if (scale < 1 || scale > 100)
            scale = 1;
    }
    return timeoutMs == INFINITE ? INFINITE : timeoutMs * scale;
}

HWND WaitForProcessWindow(DWORD process,
                          const std::function<bool(HWND)> &match,
                          DWORD timeoutMs)
{
    timeoutMs = ScaledTimeout(timeoutMs);
    DWORD start = GetTickCount();
    do {
        HWND found = FindProcessWindow(process, match);
        if (found != NULL)
            return found;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

bool HasWindowClass(HWND window, const char *className)
{
    char name[64];
    GetClassNameA(window, name, sizeof(name));
    return strcmp(name, className) == 0;
}

bool IsDialogWindow(HWND window)
{
    return HasWindowClass(window, "#32770");
}

bool IsFolderWindow(HWND window)
{
    return HasWindowClass(window, "ExplorerWClass") ||
           HasWindowClass(window, "CabinetWClass");
}

namespace {

BOOL CALLBACK CloseIfFolderWindow(HWND window, LPARAM parameter)
{
    int *folders = (int *)parameter;
    if (IsFolderWindow(window)) {
        (*folders)++;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

int CloseFolderWindowsOnce()
{
    int folders = 0;
    EnumWindows(CloseIfFolderWindow, (LPARAM)&folders);
    return folders;
}

}  // namespace

int CloseFolderWindows(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    int left = CloseFolderWindowsOnce();
    while (left > 0 && GetTickCount() - start < timeoutMs) {
        Sleep(50);
        left = CloseFolderWindowsOnce();
    }
    return left;
}
