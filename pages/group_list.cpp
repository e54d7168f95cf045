#include "pages/group_list.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"

int g_folderListFilled = 1;

static bool IsGroupFolder(const WIN32_FIND_DATAA &found)
{
    // Hidden, system, read-only or archived folders are not offered.
    return found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY &&
           strcmp(found.cFileName, ".") != 0 &&
           strcmp(found.cFileName, "..") != 0;
}

int FillFolderList(HWND listBox, const char *folder)
{
    if (g_folderListFilled == 0)
        return 0;
    // Cleared first, so a failed attempt is not repeated.
    g_folderListFilled = 0;
    char pattern[PATH_SIZE];
    CopyText(pattern, sizeof(pattern), folder);
    // An empty folder (the look-up failed) would search the current one.
    if (folder[0] == '\0' || AppendPath(pattern, sizeof(pattern), "*") < 0)
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if (!IsGroupFolder(found))
            continue;
        SendMessageA(listBox, LB_ADDSTRING, 0, (LPARAM)found.cFileName);
        count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}
