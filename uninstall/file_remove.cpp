#include "uninstall/file_remove.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/platform.h"
#include "core/setup_limits.h"
#include "install/registry_writers.h"
#include "core/log/log_reader.h"

static const char *g_wininitPath;

void SetWininitPath(const char *path)
{
    g_wininitPath = path;
}

// Lines of wininit.ini's [rename] section: every line is a rename of its
// own, so the key NUL repeats and the section is rewritten whole.
static char s_renameSection[32 * 1024];

static bool ScheduleOnWin95(const char *path)
{
    char wininit[PATH_SIZE];
    if (g_wininitPath != NULL) {
        CopyText(wininit, sizeof(wininit), g_wininitPath);
    } else {
        UINT got = GetWindowsDirectoryA(wininit, sizeof(wininit));
        if (got == 0 || got >= sizeof(wininit) ||
            AppendPath(wininit, sizeof(wininit), "wininit.ini") < 0)
            return false;
    }
    // WININIT.EXE runs before long names are available.
    char shortPath[PATH_SIZE];
    DWORD got = GetShortPathNameA(path, shortPath, sizeof(shortPath));
    if (got == 0 || got >= sizeof(shortPath))
        return false;
    DWORD used = GetPrivateProfileSectionA("rename", s_renameSection,
                                           sizeof(s_renameSection), wininit);
    if (used >= sizeof(s_renameSection) - 2)
        return false;
    size_t line = strlen("NUL=") + strlen(shortPath) + 1;
    if (used + line + 1 > sizeof(s_renameSection))
        return false;
    char *end = s_renameSection + used;
    memcpy(end, "NUL=", 4);
    memcpy(end + 4, shortPath, strlen(shortPath) + 1);
    end[line] = '\0';
    return WritePrivateProfileSectionA("rename", s_renameSection,
                                       wininit) != 0;
}

bool ScheduleDeletion(const char *path)
{
    if (IsWin95Family())
        return ScheduleOnWin95(path);
    return MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

FileRemoval RemoveFileOrSchedule(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FILE_GONE;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FILE_KEPT;   // a folder logged as a file is never emptied
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path) ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return FILE_GONE;
    return ScheduleDeletion(path) ? FILE_SCHEDULED : FILE_KEPT;
}

// Whether path names folder, also through a short (8.3) name: the text
// alone would let "C:\PROGRA~1" past "C:\Program Files".
static bool SameFolder(const char *path, const char *folder)
{
    if (SamePath(path, folder))
        return true;
    char shortPath[PATH_SIZE];
    char shortFolder[PATH_SIZE];
    DWORD got = GetShortPathNameA(path, shortPath, sizeof(shortPath));
    if (got == 0 || got >= sizeof(shortPath))
        return false;
    got = GetShortPathNameA(folder, shortFolder, sizeof(shortFolder));
    return got > 0 && got < sizeof(shortFolder) &&
           SamePath(shortPath, shortFolder);
}

static bool SameAsRegistryValue(const char *path, HKEY root, const char *key,
                                const char *value)
{
    char folder[PATH_SIZE];
    return ReadRegistryText(root, key, value, folder, sizeof(folder)) &&
           folder[0] != '\0' && SameFolder(path, folder);
}

static const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kCurrentVersion[] =
    "Software\\Microsoft\\Windows\\CurrentVersion";

bool IsProtectedFolder(const char *path)
{
    if (!IsRemovablePath(path))
        return true;   // a drive root, or not a plain local path
    char system[PATH_SIZE];
    UINT got = GetWindowsDirectoryA(system, sizeof(system));
    if (got > 0 && got < sizeof(system) && SameFolder(path, system))
        return true;
    got = GetSystemDirectoryA(system, sizeof(system));
    if (got > 0 && got < sizeof(system) && SameFolder(path, system))
        return true;
    if (SameAsRegistryValue(path, HKEY_LOCAL_MACHINE, kCurrentVersion,
                            "ProgramFilesDir") ||
        SameAsRegistryValue(path, HKEY_LOCAL_MACHINE, kCurrentVersion,
                            "CommonFilesDir"))
        return true;
    static const char *const kUserFolders[] = {
        "Programs", "Startup", "Start Menu", "Desktop", "Personal",
        "AppData"};
    static const char *const kCommonFolders[] = {
        "Common Programs", "Common Startup", "Common Start Menu",
        "Common Desktop", "Common AppData"};
    for (const char *name : kUserFolders)
        if (SameAsRegistryValue(path, HKEY_CURRENT_USER, kShellFolders, name))
            return true;
    for (const char *name : kCommonFolders)
        if (SameAsRegistryValue(path, HKEY_LOCAL_MACHINE, kShellFolders,
                                name))
            return true;
    return false;
}

bool RemoveEmptyFolder(const char *path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return true;
    if (IsProtectedFolder(path))
        return false;
    // RemoveDirectoryA removes only an empty folder.
    return RemoveDirectoryA(path) != 0;
}

void RemoveEmptyParents(const char *folder, ParentTest mayRemove,
                        const void *context)
{
    char parent[PATH_SIZE];
    CopyText(parent, sizeof(parent), folder);
    for (;;) {
        char *separator = FindLastSeparator(parent);
        if (separator == NULL)
            return;
        *separator = '\0';
        if (GetFileAttributesA(parent) == INVALID_FILE_ATTRIBUTES ||
            !mayRemove(parent, context) || !RemoveEmptyFolder(parent))
            return;
    }
}

static bool InsideFolder(const char *parent, const void *folder)
{
    return IsInsideFolder(parent, (const char *)folder, NULL);
}

void RemoveEmptyParentsInProgramFiles(const char *folder)
{
    char programFiles[PATH_SIZE];
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion,
                         "ProgramFilesDir", programFiles,
                         sizeof(programFiles)) &&
        programFiles[0] != '\0')
        RemoveEmptyParents(folder, InsideFolder, programFiles);
}

bool FirstEntryOf(const char *folder, char *name, size_t size)
{
    char pattern[PATH_SIZE];
    CopyText(pattern, sizeof(pattern), folder);
    if (AppendPath(pattern, sizeof(pattern), "*") < 0)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool any = false;
    do {
        if (strcmp(found.cFileName, ".") != 0 &&
            strcmp(found.cFileName, "..") != 0) {
            CopyText(name, size, found.cFileName);
            any = true;
        }
    } while (!any && FindNextFileA(search, &found));
    FindClose(search);
    return any;
}

static bool ReadShellFolder(HKEY root, const char *name, char *folder,
                            size_t size)
{
    return ReadRegistryText(root, kShellFolders, name, folder, (DWORD)size) &&
           folder[0] != '\0';
}

bool ReadProgramsFolder(bool common, char *folder, size_t size)
{
    return common ? ReadShellFolder(HKEY_LOCAL_MACHINE, "Common Programs",
                                    folder, size)
                  : ReadShellFolder(HKEY_CURRENT_USER, "Programs", folder,
                                    size);
}

bool CounterpartPath(const char *path, char *other, size_t size)
{
    static const char *const kPairs[][2] = {
        {"Programs", "Common Programs"}, {"Startup", "Common Startup"}};
    for (const auto &pair : kPairs) {
        char user[PATH_SIZE];
        char common[PATH_SIZE];
        if (!ReadShellFolder(HKEY_CURRENT_USER, pair[0], user, sizeof(user)) ||
            !ReadShellFolder(HKEY_LOCAL_MACHINE, pair[1], common,
                             sizeof(common)))
            continue;
        const char *rest;
        const char *base = NULL;
        if (IsInsideFolder(path, common, &rest))
            base = user;
        else if (IsInsideFolder(path, user, &rest))
            base = common;
        if (base == NULL)
            continue;
        CopyText(other, size, base);
        return AppendPath(other, size, rest) >= 0;
    }
    return false;
}
