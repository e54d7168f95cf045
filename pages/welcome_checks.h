// The welcome page's side of the pre-install checks: the refusal message
// and the topmost background window.
#pragma once

#include <windows.h>

#include "install/preinstall_checks.h"

enum PreInstallOutcome {
    CHECKS_PASSED = 1,          // the background window is now topmost
    CHECKS_REFUSED = 0,         // a message was shown, the wizard ended
    CHECKS_NO_USER_ACCESS = -1  // library unusable: all-users flag 0, no
                                // further checks, the page stays
};

// Runs every check in order; page owns the refusal message box.
PreInstallOutcome RunPreInstallChecks(HWND page);
