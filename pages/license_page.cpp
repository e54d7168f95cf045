// Page 1: the licence page. No page move leads here, but it is created
// with the others and loads the licence text at once.
#include "pages/pages.h"
#include "pages/license_text.h"

#include <stdlib.h>

#include "common/setup_state.h"
#include "resources/resource.h"
#include "wizard/wizard_messages.h"

// The whole file is held in memory once, only while the control takes it.
static void PutFileIntoControl(HWND control, HANDLE file)
{
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(file, &sizeHigh);
    // A text of 4 GB or more cannot be one control text.
    if (size == INVALID_FILE_SIZE || sizeHigh != 0 || size == MAXDWORD)
        return;
    char *text = (char *)malloc((size_t)size + 1);
    if (text == NULL)
        return;
    DWORD got = 0;
    if (!ReadFile(file, text, size, &got, NULL))
        got = 0;
    text[got] = '\0';
    SetWindowTextA(control, text);
    free(text);
}

int LoadTextFileIntoControl(HWND control, const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    PutFileIntoControl(control, file);
    CloseHandle(file);
    return 1;
}

INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    HWND licenseText = GetDlgItem(page, IDC_LICENSE_TEXT);
    switch (message) {
    case WM_INITDIALOG:
        SendMessageA(licenseText, WM_SETFONT, (WPARAM)g_standardFont, FALSE);
        LoadTextFileIntoControl(licenseText, g_licensePath);
        break;
    case WM_SHOWWINDOW:
        SetFocus(licenseText);
        break;
    case WM_WIZARD_NEXT:
        g_currentPage = PAGE_DESTINATION;  // YES
        break;
    case WM_WIZARD_BACK:
        g_currentPage = PAGE_WELCOME;
        break;
    }
    return 0;
}
