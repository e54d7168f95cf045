#include "transaction/run_lock.h"

#include <windows.h>
#include <stdio.h>

#include "common/platform.h"
#include "core/setup_limits.h"

const char kRunLockName[] = "TovrinInstallRun";

// Held, never released, until the process ends.
static HANDLE s_lock;

// The mutex of that name, made or opened; NULL with the error set when
// the name cannot be used.
static HANDLE OpenLock(const char *prefix)
{
    char name[PATH_SIZE];
    snprintf(name, sizeof(name), "%s%s", prefix, kRunLockName);
    // Not owned at creation: the wait below tells a lock whose owner died
    // (abandoned, now ours) from one held by a live run.
    return CreateMutexA(NULL, FALSE, name);
}

bool TakeRunLock()
{
    if (s_lock != NULL)
        return true;
    HANDLE lock = NULL;
    if (!IsWin95Family()) {
        lock = OpenLock("Global\\");
        // Made by a run of another user, whose rights we lack: it exists.
        if (lock == NULL && GetLastError() == ERROR_ACCESS_DENIED)
            return false;
    }
    // The 95 family, or NT 4.0 without Terminal Services, where a
    // backslash is no namespace.
    if (lock == NULL)
        lock = OpenLock("");
    if (lock == NULL)
        return GetLastError() != ERROR_ACCESS_DENIED;
    DWORD waited = WaitForSingleObject(lock, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(lock);
        return false;
    }
    s_lock = lock;
    return true;
}
