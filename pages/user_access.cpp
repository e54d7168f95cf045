// Loading the user-access library. It is looked up by name only; the
// program's start-up takes the current directory out of the DLL search,
// so the copy beside setup.exe is found and a planted one is not.
#include "pages/welcome_checks.h"

static const char kUserAccessLibrary[] = "ACLPROBE.DLL";
static const char kUserAccessEntry[] = "CheckUersAcc";

// No arguments, a 32-bit answer: non-zero means all-users folders.
typedef int(WINAPI *UserAccessEntry)(void);

int AskUserAccessLibrary(int *allUsers)
{
    HMODULE library = LoadLibraryA(kUserAccessLibrary);
    if (library == NULL)
        return 0;
    FARPROC found = GetProcAddress(library, kUserAccessEntry);
    // A library without the entry point is no better than none.
    if (found == NULL) {
        FreeLibrary(library);
        return 0;
    }
    UserAccessEntry entry;
    static_assert(sizeof(entry) == sizeof(found), "code pointers");
    CopyMemory(&entry, &found, sizeof(found));
    *allUsers = entry();
    FreeLibrary(library);
    return 1;
}
