// Page 2: the destination folder page. It proposes the default folder once
// and lets the user change it through the folder browser.
#include "pages/pages.h"
#include "install/destination_folder.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "wizard/catalog.h"
#include "wizard/wizard_messages.h"

static void ShowDestination(HWND page)
{
    SetItemText(page, IDC_DEST_FOLDER, g_destinationFolder);
}

static void BrowseForDestination(HWND page)
{
    // The browser writes an accepted folder into the same buffer.
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_FOLDER_BROWSER), page,
                    FolderBrowserProc, (LPARAM)g_destinationFolder);
    ShowDestination(page);
}

INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam,
                                     LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ComputeDefaultDestination(g_destinationFolder,
                                  sizeof(g_destinationFolder));
        break;
    case WM_SHOWWINDOW:
        ShowDestination(page);
        break;
    case WM_COMMAND:
        if (wParam == MAKEWPARAM(IDC_DEST_BROWSE, BN_CLICKED))
            BrowseForDestination(page);
        break;
    case WM_WIZARD_NEXT:
        g_currentPage = PAGE_PROGRAM_GROUP;
        break;
    case WM_WIZARD_BACK:
        g_currentPage = PAGE_WELCOME;
        break;
    }
    return 0;
}
