// The folder browser (dialog 113): an edit box with the folder being
// chosen and a tree of the fixed drives. OK writes an acceptable text into
// the caller's path buffer, the dialog's creation parameter, which is kept
// in the dialog's user data.
#include "pages/pages.h"
#include "install/destination_folder.h"
#include "pages/folder_tree.h"

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "wizard/catalog.h"

static char *ResultBuffer(HWND dialog)
{
    return (char *)GetWindowLongPtrA(dialog, DWLP_USER);
}

static void ApplyBrowserTexts(HWND dialog)
{
    char caption[PATH_SIZE];
    GetPrivateProfileStringA("TITLE", "DIRECTRY", "", caption,
                             sizeof(caption), g_catalogPath);
    SetWindowTextA(dialog, caption);
    SetCatalogText(dialog, IDC_BROWSER_EXPLANATION, g_catalogPath, "static",
                   "FOLDER_01", g_standardFont);
    SetCatalogText(dialog, IDC_BROWSER_TREE_LABEL, g_catalogPath, "LABEL",
                   "PATH", g_standardFont);
    SetCatalogText(dialog, IDC_BROWSER_FOLDER_LABEL, g_catalogPath, "LABEL",
                   "FOLDER", g_standardFont);
    SetCatalogText(dialog, IDOK, g_catalogPath, "button", "OK",
                   g_standardFont);
    SetCatalogText(dialog, IDCANCEL, g_catalogPath, "button", "CANCEL",
                   g_standardFont);
    SetCatalogText(dialog, IDC_BROWSER_FOLDER, g_catalogPath, "", "",
                   g_standardFont);
    SetCatalogText(dialog, IDC_BROWSER_TREE, g_catalogPath, "", "",
                   g_standardFont);
}

static void OpenBrowser(HWND dialog, char *result)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)result);
    if (result == NULL)
        return;
    HWND tree = GetDlgItem(dialog, IDC_BROWSER_TREE);
    HIMAGELIST images = CreateFolderImageList(dialog, g_instance);
    SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)images);
    AddFixedDrives(tree);
    ExpandTreeToPath(tree, result);
    ApplyBrowserTexts(dialog);
    // The caller's path exactly, whatever item the tree could select.
    SetItemText(dialog, IDC_BROWSER_FOLDER, result);
}

static void CloseBrowser(HWND dialog)
{
    HWND tree = GetDlgItem(dialog, IDC_BROWSER_TREE);
    HIMAGELIST images = (HIMAGELIST)SendMessageA(tree, TVM_SETIMAGELIST,
                                                 TVSIL_NORMAL, 0);
    if (images != NULL)
        ImageList_Destroy(images);
}

static void OnTreeNotify(HWND dialog, const NMTREEVIEWA *notice)
{
    char path[PATH_SIZE];
    switch (notice->hdr.code) {
    case TVN_ITEMEXPANDINGA:
        // A path too long for a path buffer is not listed.
        if (GetTreeItemPath(notice->hdr.hwndFrom, notice->itemNew.hItem, path,
                            sizeof(path)))
            AddSubfolders(notice->hdr.hwndFrom, notice->itemNew.hItem, path);
        break;
    case TVN_SELCHANGEDA:
        GetTreeItemPath(notice->hdr.hwndFrom, notice->itemNew.hItem, path,
                        sizeof(path));
        SetItemText(dialog, IDC_BROWSER_FOLDER, path);
        break;
    }
}

static void AcceptTypedFolder(HWND dialog)
{
    char *result = ResultBuffer(dialog);
    // Read one byte wider than a path, so an overlong text shows as such
    // instead of being cut into a different folder.
    char typed[PATH_SIZE + 1];
    GetItemText(dialog, IDC_BROWSER_FOLDER, typed, sizeof(typed));
    if (!IsAcceptableFolder(typed)) {
        CatalogMessageBox(dialog, g_catalogPath, "MessageBox", "INPUT_ERROR",
                          "TITLE_ERROR", MB_ICONWARNING);
        return;
    }
    if (result != NULL)
        CopyText(result, PATH_SIZE, typed);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK FolderBrowserProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenBrowser(dialog, (char *)lParam);
        return TRUE;
    case WM_NOTIFY:
        if (wParam == IDC_BROWSER_TREE)
            OnTreeNotify(dialog, (const NMTREEVIEWA *)lParam);
        return FALSE;  // the result 0: expansions are never refused
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            AcceptTypedFolder(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 1);
        return TRUE;
    case WM_DESTROY:
        CloseBrowser(dialog);
        return TRUE;
    }
    return FALSE;
}
