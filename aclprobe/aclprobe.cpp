// ACLPROBE.DLL: tells the setup program whether the current user may use
// the all-users folders. Shipped beside setup.exe.
#include <windows.h>

#include "aclprobe/access_decision.h"

// Exported undecorated (the build links with --kill-at); no arguments.
extern "C" __declspec(dllexport) int WINAPI CheckUersAcc(void)
{
    return TokenMayUseAllUsers(NULL);
}
