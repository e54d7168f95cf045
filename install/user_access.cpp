// Loading the user-access library. It is looked up by name only, in the
// program's own folder, the system folder and the folders the program
// added, never in the current directory, so a copy planted in a download
// folder is not picked up. (Wine takes an empty SetDllDirectoryA as "no
// DLL directory" and still searches the current directory, so start-up's
// call alone is not enough there.)
#include "install/preinstall_checks.h"

static const char kUserAccessLibrary[] = "ACLPROBE.DLL";
static const char kUserAccessEntry[] = "CheckUersAcc";

// No arguments, a 32-bit answer: non-zero means all-users folders.
typedef int(WINAPI *UserAccessEntry)(void);

static HMODULE LoadUserAccessLibrary()
{
    HMODULE library = LoadLibraryExA(kUserAccessLibrary, NULL,
                                     LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // Systems older than the search flags refuse them; there the empty DLL
    // directory set at start-up keeps the current directory out.
    if (library == NULL && GetLastError() == ERROR_INVALID_PARAMETER)
        library = LoadLibraryA(kUserAccessLibrary);
    return library;
}

int AskUserAccessLibrary(int *allUsers)
{
    HMODULE library = LoadUserAccessLibrary();
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
