// How ACLPROBE.DLL decides whether a user may use the all-users (common)
// shell folders and program groups.
#pragma once

#include <windows.h>

// 1 when the token is a member of the Administrators group with that
// membership in force (an elevated token; a filtered token carries the
// group for denial only), else 0. token is an impersonation token, or
// NULL for the calling thread's or process's own.
int TokenMayUseAllUsers(HANDLE token);

// The same decision made by reading the token's groups, for systems whose
// ADVAPI32 has no CheckTokenMembership (NT 4.0).
int TokenGroupsHoldAdministrators(HANDLE token);
