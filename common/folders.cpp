#include "common/folders.h"

#include <windows.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/script/folder_macros.h"
#include "core/text/path_join.h"
#include "common/platform.h"
#include "core/text/registry_text.h"
#include "core/setup_limits.h"
#include "common/setup_state.h"

static const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kCommonShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

int ExpandFolderMacros(char *dest, size_t size, const char *source,
                       int allUsers)
{
    char systemDir[PATH_SIZE] = "";
    char windowsDir[PATH_SIZE] = "";
    char startupDir[PATH_SIZE] = "";
    UINT length = GetSystemDirectoryA(systemDir, sizeof(systemDir));
    if (length == 0 || length >= sizeof(systemDir))
        systemDir[0] = '\0';
    length = GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    if (length == 0 || length >= sizeof(windowsDir))
        windowsDir[0] = '\0';
    if (GetShellFolder(startupDir, sizeof(startupDir), "Startup",
                       "Common Startup", allUsers) == 0)
        startupDir[0] = '\0';

    FolderMacroValues values = {systemDir, windowsDir, g_languageCode,
                                startupDir};
    // A field cut or a macro left unexpanded is no folder to use.
    return ReplaceFolderMacros(dest, size, source, &values) ? 1 : 0;
}

int GetShellFolder(char *buffer, size_t size, const char *userName,
                   const char *commonName, int allUsers)
{
    if (size == 0)
        return 0;
    buffer[0] = '\0';
    if (userName == NULL)
        userName = "Programs";
    if (commonName == NULL)
        commonName = "Common Programs";

    HKEY root = HKEY_LOCAL_MACHINE;
    const char *keyPath = kCommonShellFolders;
    const char *valueName = commonName;
    if (IsWin95Family() || allUsers == 0) {
        root = HKEY_CURRENT_USER;
        keyPath = kUserShellFolders;
        valueName = userName;
    }

    HKEY key;
    if (RegOpenKeyA(root, keyPath, &key) != ERROR_SUCCESS)
        return 0;
    // The whole buffer is offered: a folder of 259 characters fits.
    DWORD bytes = (DWORD)size;
    LONG result = RegQueryValueExA(key, valueName, NULL, NULL,
                                   (BYTE *)buffer, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return 0;
    }
    int length = EndRegistryText(buffer, size, bytes);
    return length > 0 ? length : 0;
}

void CreateFolderPath(const char *path)
{
    char prefix[PATH_SIZE];
    CopyText(prefix, sizeof(prefix), path);
    for (char *p = prefix; *p != '\0'; p = NextChar(p)) {
        if (*p != '\\')
            continue;
        *p = '\0';
        CreateDirectoryA(prefix, NULL);
        *p = '\\';
    }
    CreateDirectoryA(prefix, NULL);
}

static bool IsDotEntry(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

int VisitSubfolders(const char *folder, SubfolderVisit visit, void *context)
{
    char pattern[PATH_SIZE];
    CopyText(pattern, sizeof(pattern), folder);
    // Without the "*" the search would find the folder itself.
    if (folder[0] == '\0' || AppendPath(pattern, sizeof(pattern), "*") < 0)
        return -1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            !IsDotEntry(found.cFileName) && visit(context, &found))
            count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}
