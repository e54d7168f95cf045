// The install run: the dialog procedure of the modal progress dialog (115)
// that performs the whole installation half a second after it is shown.
#pragma once

#include <windows.h>

#include "install/file_copy.h"

// The dialog's creation parameter: 0 asks about each failed copy (Abort /
// Retry / Ignore); PROGRESS_IGNORES_FAILURES passes over them, for the
// engine-only program that has nobody to ask.
constexpr LPARAM PROGRESS_IGNORES_FAILURES = 1;

INT_PTR CALLBACK InstallProgressProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam);

// Every step of the installation, in order, over the shared setup state:
// the three file sections with their gates, the shortcut registrations,
// the product keys, the uninstall entry and the uninstall log, as one
// transaction (install/transaction.h). Copies that failed, files replaced
// at the restart and shortcut entries left out are added to failures (may
// be NULL). policy decides about each failed copy (NULL: Ignore); Abort
// rolls the run back.
InstallOutcome RunInstallation(HWND progressBar, HWND fileLabel,
                               CopyFailures *failures,
                               CopyFailurePolicy policy, void *context);

// The exit code (core/exit_codes.h) of a run that ended with outcome, and
// its meaning for the report's result line.
int InstallExitCode(InstallOutcome outcome, const CopyFailures *failures,
                    const char **meaning);

// When copies failed or shortcuts were left out: one warning that says how
// many files and names the first, and names the shortcuts.
void ReportCopyFailures(HWND owner, const CopyFailures *failures);

// How long the last run inside the progress dialog took, in milliseconds
// (for the benchmark).
double GetLastInstallRunTime();
