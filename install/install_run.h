// The install run: the dialog procedure of the modal progress dialog (115)
// that performs the whole installation half a second after it is shown.
#pragma once

#include <windows.h>

INT_PTR CALLBACK InstallProgressProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam);
