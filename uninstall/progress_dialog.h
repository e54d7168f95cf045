// The progress dialog shown while the installation is removed.
#pragma once

#include <windows.h>

INT_PTR CALLBACK UninstallProgressProc(HWND dialog, UINT message,
                                       WPARAM wParam, LPARAM lParam);

// Creates the modeless dialog with caption as its text.
HWND OpenProgressDialog(HINSTANCE instance, const char *title,
                        const char *caption);

// The removal's progress callback: moves the bar, shows the path and lets
// the dialog repaint. context is the dialog.
void ShowRemovalStep(void *context, int step, int steps, const char *path);
