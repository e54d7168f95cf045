// Page 3: the program group page. The user types a group name or picks an
// existing group; NEXT runs the installation and moves to the finish page.
#include "pages/pages.h"
#include "pages/group_list.h"

#include "common/folders.h"
#include "common/setup_state.h"
#include "progress/install_progress.h"
#include "resources/resource.h"
#include "wizard/catalog.h"
#include "wizard/wizard_messages.h"

static void ProposeGroup(HWND page)
{
    char programs[PATH_SIZE];
    if (GetShellFolder(programs, sizeof(programs), NULL, NULL, g_allUsers) == 0)
        programs[0] = '\0';
    FillFolderList(GetDlgItem(page, IDC_GROUP_LIST), programs);
    // Every activation proposes the script's name again.
    GetPrivateProfileStringA("ShortCut_File", "group", "Fail", g_programGroup,
                             sizeof(g_programGroup), g_scriptPath);
    SetItemText(page, IDC_GROUP_NAME, g_programGroup);
}

static void TakeSelectedGroup(HWND page)
{
    HWND list = GetDlgItem(page, IDC_GROUP_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return;
    // LB_GETTEXT has no size; the entry is checked against the buffer.
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length == LB_ERR || length >= (LRESULT)sizeof(g_programGroup))
        return;
    SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)g_programGroup);
    SetDlgItemTextA(page, IDC_GROUP_NAME, g_programGroup);
}

static void InstallIntoGroup(HWND page)
{
    GetItemText(page, IDC_GROUP_NAME, g_programGroup, sizeof(g_programGroup));
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS), page,
                    InstallProgressProc, 0);
    g_currentPage = PAGE_FINISH;
}

INT_PTR CALLBACK ProgramGroupPageProc(HWND page, UINT message, WPARAM wParam,
                                      LPARAM)
{
    switch (message) {
    case WM_WIZARD_ACTIVATE:
        ProposeGroup(page);
        break;
    case WM_COMMAND:
        if (wParam == MAKEWPARAM(IDC_GROUP_LIST, LBN_SELCHANGE))
            TakeSelectedGroup(page);
        break;
    case WM_WIZARD_NEXT:
        InstallIntoGroup(page);
        break;
    case WM_WIZARD_BACK:
        g_currentPage = PAGE_DESTINATION;
        break;
    }
    return 0;
}
