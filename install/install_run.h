// The install run: every step of the installation over the shared setup
// state, as one transaction. It shows nothing itself: what it must ask, it
// asks through the questions its caller hands it.
#pragma once

#include <windows.h>

#include "install/file_copy.h"
#include "install/space_check.h"

// How a run asks a person. A NULL question is answered without asking: a
// failed copy is ignored, a volume too small ends the run before its first
// change.
struct RunQuestions {
    CopyFailurePolicy askAboutCopy;
    SpaceQuestion askToFreeSpace;
    void *context;   // handed to both
};

// Every step of the installation, in order: the three file sections with
// their gates, the shortcut registrations, the product keys, the uninstall
// entry and the uninstall log, as one transaction
// (transaction/transaction.h). Copies that failed, files replaced at the
// restart and shortcut entries left out are added to failures (may be
// NULL). questions may be NULL (nobody there); Abort on a failed copy
// rolls the run back.
InstallOutcome RunInstallation(HWND progressBar, HWND fileLabel,
                               CopyFailures *failures,
                               const RunQuestions *questions);

// The exit code (core/exit_codes.h) of a run that ended with outcome, and
// its meaning for the report's result line.
int InstallExitCode(InstallOutcome outcome, const CopyFailures *failures,
                    const char **meaning);
