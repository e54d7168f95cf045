// Placeholder page procedures that only make the page table's moves; each
// is replaced by its page's own source.
#include "pages/pages.h"

#include "common/setup_state.h"
#include "wizard/wizard_messages.h"

static INT_PTR MovePage(UINT message, int next, int back)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_WIZARD_NEXT && next >= 0)
        g_currentPage = next;
    else if (message == WM_WIZARD_BACK && back >= 0)
        g_currentPage = back;
    else
        return FALSE;
    return TRUE;
}

INT_PTR CALLBACK WelcomePageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return MovePage(message, 2, -1);
}

INT_PTR CALLBACK LicensePageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return MovePage(message, 2, 0);
}

INT_PTR CALLBACK DestinationPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return MovePage(message, 3, 0);
}

INT_PTR CALLBACK ProgramGroupPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return MovePage(message, 4, 2);
}

INT_PTR CALLBACK FinishPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_WIZARD_NEXT) {
        SendMessageA(g_wizardFrame, WM_WIZARD_END, 0, 0);
        return TRUE;
    }
    return MovePage(message, -1, -1);
}

INT_PTR CALLBACK UserInfoPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return MovePage(message, 4, 3);
}

INT_PTR CALLBACK FolderBrowserProc(HWND dialog, UINT message, WPARAM wParam,
                                   LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK ||
                                  LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
