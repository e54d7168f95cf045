#include "pages/group_list.h"

#include "common/folders.h"
#include "common/setup_state.h"

int g_folderListFilled = 1;

// Hidden, system, read-only or archived folders are not offered.
static bool AddGroupFolder(void *listBox, const WIN32_FIND_DATAA *found)
{
    if (found->dwFileAttributes != FILE_ATTRIBUTE_DIRECTORY)
        return false;
    SendMessageA((HWND)listBox, LB_ADDSTRING, 0, (LPARAM)found->cFileName);
    return true;
}

int FillFolderList(HWND listBox, const char *folder)
{
    if (g_folderListFilled == 0)
        return 0;
    // Cleared first, so a failed attempt is not repeated.
    g_folderListFilled = 0;
    int count = VisitSubfolders(folder, AddGroupFolder, listBox);
    return count > 0 ? count : 0;
}
