// The pre-install checks: product keys in the registry, the user-access
// library and the running file utility. Shown nowhere: the welcome page
// and the unattended run each tell the outcome their own way.
#pragma once

#include <windows.h>
#include <stddef.h>

// Reads the "Version" of HKEY_LOCAL_MACHINE\key into buffer (size bytes,
// always terminated); a key without one but with an "Installpath" on a
// drive letter counts as version "1.0". Returns 1 when a version was
// obtained, -1 when the key cannot be opened, -2 when it yields none.
int ProbeProductVersion(const char *key, char *buffer, size_t size);

// The first top-level window, from the top of the Z order down, whose
// class name begins with prefix (case-sensitive), or NULL.
HWND FindWindowByPrefix(const char *prefix);

// Asks "ACLPROBE.DLL" whether the user may use the all-users folders.
// Returns 1 with *allUsers set to CheckUersAcc's answer, or 0 when the
// library cannot be loaded or has no CheckUersAcc (*allUsers untouched).
int AskUserAccessLibrary(int *allUsers);

// What the checks found, in the order they are made.
enum PreInstallCheck {
    CHECK_PASSED,             // every check passed
    CHECK_NO_USER_ACCESS,     // library unusable: all-users flag 0, the
                              // running-utility check not made
    CHECK_OTHER_BRAND,        // the maker's branded edition is installed
    CHECK_PRODUCT_INSTALLED,  // this product is installed
    CHECK_UTILITY_RUNNING     // the file utility is running
};

// Steps 1 to 7 of the checks: reads the script version and sets the
// install-common-files and all-users flags as the welcome page does, and
// says which check refused. Shows nothing.
PreInstallCheck CheckBeforeInstall();

// Install script path := program directory, language code, "copy_ns.ini".
void FixInstallScriptPath();

// The exit code (core/exit_codes.h) of a refusal by check, with its
// meaning for the report; -1 for a check that lets the run go on.
int RefusalExitCode(PreInstallCheck check, const char **meaning);
