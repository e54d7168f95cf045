#include "uninstall/progress_dialog.h"

#include <commctrl.h>

#include "uninstall/uninstall_resource.h"

INT_PTR CALLBACK UninstallProgressProc(HWND dialog, UINT message, WPARAM,
                                       LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_UNINSTALL_CAPTION, (const char *)lParam);
        return TRUE;
    case WM_CLOSE:
        return TRUE;   // the removal runs to its end
    }
    return FALSE;
}

HWND OpenProgressDialog(HINSTANCE instance, const char *title,
                        const char *caption)
{
    HWND dialog = CreateDialogParamA(instance,
                                     MAKEINTRESOURCEA(IDD_UNINSTALL_PROGRESS),
                                     NULL, UninstallProgressProc,
                                     (LPARAM)caption);
    if (dialog != NULL) {
        SetWindowTextA(dialog, title);
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
    }
    return dialog;
}

static void PumpMessages(HWND dialog)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void ShowRemovalStep(void *context, int step, int steps, const char *path)
{
    HWND dialog = (HWND)context;
    if (dialog == NULL)
        return;
    SendDlgItemMessageA(dialog, IDC_UNINSTALL_BAR, PBM_SETRANGE32, 0,
                        steps > 0 ? steps : 1);
    SendDlgItemMessageA(dialog, IDC_UNINSTALL_BAR, PBM_SETPOS, step, 0);
    SetDlgItemTextA(dialog, IDC_UNINSTALL_FILE, path);
    PumpMessages(dialog);
}
