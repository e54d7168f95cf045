// bench_close_windows.exe: closes the folder windows that an install run
// leaves open, between two runs of the benchmark.
//
// Wine's Program Manager opens a window on a group for every CreateGroup
// and ShowGroup command, each in an explorer process of its own. Left
// open, they pile up over the runs, and every DdeConnect, which asks all
// top-level windows, gets slower run by run.
//
//   bench_close_windows.exe [LIST_FILE]
//
// LIST_FILE receives the class and title of every top-level window seen.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "tests/support/window_search.h"

static const DWORD kWaitMs = 10000;

struct Scan {
    FILE *list;
    int folders;
};

static BOOL CALLBACK ListWindow(HWND window, LPARAM parameter)
{
    Scan *scan = (Scan *)parameter;
    char windowClass[128];
    char title[256];
    GetClassNameA(window, windowClass, sizeof(windowClass));
    GetWindowTextA(window, title, sizeof(title));
    if (scan->list != NULL)
        fprintf(scan->list, "%s|%s\n", windowClass, title);
    if (IsFolderWindow(window))
        scan->folders++;
    return TRUE;
}

int main(int argc, char **argv)
{
    Scan scan = {argc > 1 ? fopen(argv[1], "w") : NULL, 0};
    EnumWindows(ListWindow, (LPARAM)&scan);
    if (scan.list != NULL)
        fclose(scan.list);
    // Until they are gone, so the next run starts without them.
    int left = CloseFolderWindows(kWaitMs);
    printf("closed %d folder windows, %d left\n", scan.folders, left);
    return left == 0 ? 0 : 1;
}
