// The install run: the dialog procedure of the modal progress dialog (115)
// that performs the whole installation half a second after it is shown.
#pragma once

#include <windows.h>

#include "install/file_copy.h"

INT_PTR CALLBACK InstallProgressProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam);

// Every step of the installation, in order, over the shared setup state:
// the three file sections with their gates, the shortcut registrations,
// the product keys, the uninstall entry and the uninstall log. Copies that
// failed and shortcut entries left out are added to failures (may be
// NULL).
void RunInstallation(HWND progressBar, HWND fileLabel,
                     CopyFailures *failures);

// When copies failed or shortcuts were left out: one warning that says how
// many files and names the first, and names the shortcuts.
void ReportCopyFailures(HWND owner, const CopyFailures *failures);

// How long the last run inside the progress dialog took, in milliseconds
// (for the benchmark).
double GetLastInstallRunTime();
