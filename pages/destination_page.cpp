// Page 2: the destination folder page. It proposes the default folder once
// and lets the user change it through the folder browser.
#include "pages/pages.h"
#include "pages/destination_folder.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "wizard/catalog.h"
#include "wizard/wizard_messages.h"

// The install script writes its folder as if programs always lived here.
int ReadProgramFilesDir(char *buffer, size_t size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char value[PATH_SIZE];
    DWORD bytes = sizeof(value);
    LONG result = RegQueryValueExA(key, "ProgramFilesDir", NULL, NULL,
                                   (BYTE *)value, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return 0;
    // The stored data need not end in a NUL of its own.
    if (bytes >= sizeof(value))
        bytes = sizeof(value) - 1;
    value[bytes] = '\0';
    return (int)CopyText(buffer, size, value);
}

// Without a readable program files folder the join would give a relative
// path; the system drive's "Program Files" is where it would have been.
static void GuessProgramFilesDir(char *buffer, size_t size)
{
    char windowsDir[PATH_SIZE];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    if (length < 3 || length >= sizeof(windowsDir) || windowsDir[1] != ':')
        CopyText(windowsDir, sizeof(windowsDir), "C:");
    windowsDir[2] = '\0';
    CopyText(buffer, size, windowsDir);
    AppendPath(buffer, size, "Program Files");
}

void ComputeDefaultDestination(char *buffer, size_t size)
{
    if (ReadProgramFilesDir(buffer, size) == 0)
        GuessProgramFilesDir(buffer, size);
    char productFolder[PATH_SIZE];
    GetPrivateProfileStringA("Directry", "DstDirectry", "Fail", productFolder,
                             sizeof(productFolder), g_scriptPath);
    AppendPath(buffer, size, ProductFolderBelowProgramFiles(productFolder));
}

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
        g_currentPage = 3;  // the program group page
        break;
    case WM_WIZARD_BACK:
        g_currentPage = 0;  // the welcome page
        break;
    }
    return 0;
}
