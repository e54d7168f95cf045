#include "install/file_remove.h"

#include <stdlib.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/platform.h"
#include "core/setup_limits.h"
#include "install/registry_writers.h"
#include "core/log/journal.h"
#include "core/log/log_reader.h"

static const char *g_wininitPath;

void SetWininitPath(const char *path)
{
    g_wininitPath = path;
}

// Lines of wininit.ini's [rename] section: every line is a rename of its
// own, so the key NUL repeats and the section is rewritten whole.
static char s_renameSection[32 * 1024];

static bool FindWininit(char *wininit, size_t size)
{
    if (g_wininitPath != NULL)
        return CopyText(wininit, size, g_wininitPath) == strlen(g_wininitPath);
    UINT got = GetWindowsDirectoryA(wininit, (UINT)size);
    return got > 0 && got < size && AppendPath(wininit, size, "wininit.ini") >= 0;
}

// WININIT.EXE runs before long names are available.
static bool GetShortName(const char *path, char *shortPath, size_t size)
{
    DWORD got = GetShortPathNameA(path, shortPath, (DWORD)size);
    return got > 0 && got < size;
}

// Adds "target=source" (short names; target "NUL" deletes source).
static bool ScheduleOnWin95(const char *source, const char *target)
{
    char wininit[PATH_SIZE];
    char shortSource[PATH_SIZE];
    char shortTarget[PATH_SIZE];
    if (!FindWininit(wininit, sizeof(wininit)) ||
        !GetShortName(source, shortSource, sizeof(shortSource)))
        return false;
    if (target == NULL)
        CopyText(shortTarget, sizeof(shortTarget), "NUL");
    else if (!GetShortName(target, shortTarget, sizeof(shortTarget)))
        return false;
    DWORD used = GetPrivateProfileSectionA("rename", s_renameSection,
                                           sizeof(s_renameSection), wininit);
    if (used >= sizeof(s_renameSection) - 2)
        return false;
    size_t targetLength = strlen(shortTarget);
    size_t line = targetLength + 1 + strlen(shortSource) + 1;
    if (used + line + 1 > sizeof(s_renameSection))
        return false;
    char *end = s_renameSection + used;
    memcpy(end, shortTarget, targetLength);
    end[targetLength] = '=';
    memcpy(end + targetLength + 1, shortSource, strlen(shortSource) + 1);
    end[line] = '\0';
    return WritePrivateProfileSectionA("rename", s_renameSection,
                                       wininit) != 0;
}

bool ScheduleDeletion(const char *path)
{
    if (IsWin95Family())
        return ScheduleOnWin95(path, NULL);
    return MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool ScheduleReplacement(const char *source, const char *target)
{
    if (IsWin95Family())
        return ScheduleOnWin95(source, target);
    return MoveFileExA(source, target,
                       MOVEFILE_DELAY_UNTIL_REBOOT |
                           MOVEFILE_REPLACE_EXISTING) != 0;
}

static bool CancelOnWin95(const char *source)
{
    char wininit[PATH_SIZE];
    if (!FindWininit(wininit, sizeof(wininit)))
        return false;
    DWORD used = GetPrivateProfileSectionA("rename", s_renameSection,
                                           sizeof(s_renameSection), wininit);
    if (used >= sizeof(s_renameSection) - 2)
        return false;
    size_t length = DropRenameLines(s_renameSection, used + 1, source);
    char shortSource[PATH_SIZE];
    if (GetShortName(source, shortSource, sizeof(shortSource)))
        length = DropRenameLines(s_renameSection, length, shortSource);
    if (length == used + 1)
        return true;
    return WritePrivateProfileSectionA("rename", s_renameSection,
                                       wininit) != 0;
}

static const char kSessionManager[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
static const char kPendingRenames[] = "PendingFileRenameOperations";

static bool CancelOnNt(const char *source)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return true;   // nothing is scheduled at all
    DWORD type = 0;
    DWORD bytes = 0;
    bool cancelled = true;
    if (RegQueryValueExA(key, kPendingRenames, NULL, &type, NULL, &bytes) ==
            ERROR_SUCCESS &&
        type == REG_MULTI_SZ && bytes > 0) {
        // Two more NULs: a value stored without its closing ones.
        char *list = (char *)calloc(bytes + 2, 1);
        cancelled = list != NULL &&
                    RegQueryValueExA(key, kPendingRenames, NULL, &type,
                                     (BYTE *)list, &bytes) == ERROR_SUCCESS;
        if (cancelled) {
            size_t length = DropPendingRenames(list, bytes + 2, source);
            if (length < bytes + 2) {
                LONG done = length <= 2 + 1
                                ? RegDeleteValueA(key, kPendingRenames)
                                : RegSetValueExA(key, kPendingRenames, 0,
                                                 REG_MULTI_SZ, (BYTE *)list,
                                                 (DWORD)length - 2);
                cancelled = done == ERROR_SUCCESS;
            }
        }
        free(list);
    }
    RegCloseKey(key);
    return cancelled;
}

bool CancelScheduledRename(const char *source)
{
    if (IsWin95Family())
        return CancelOnWin95(source);
    return CancelOnNt(source);
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
