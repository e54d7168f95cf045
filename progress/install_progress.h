// The progress dialog (115) of a run with a person there: it performs the
// whole installation half a second after it is shown, asks about failed
// copies and too little space in boxes, and says at the end what was not
// done.
#pragma once

#include <windows.h>

#include "install/file_copy.h"

// The dialog's creation parameter: 0 asks about each failed copy (Abort /
// Retry / Ignore); PROGRESS_IGNORES_FAILURES passes over them, for the
// engine-only program that has nobody to ask.
constexpr LPARAM PROGRESS_IGNORES_FAILURES = 1;

INT_PTR CALLBACK InstallProgressProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam);

// When copies failed or shortcuts were left out: one warning that says how
// many files and names the first, and names the shortcuts.
void ReportCopyFailures(HWND owner, const CopyFailures *failures);

// How long the last run inside the progress dialog took, in milliseconds
// (for the benchmark).
double GetLastInstallRunTime();
