#include "removal/file_remove.h"

#include <stdlib.h>
#include <string.h>

#include "common/platform.h"
#include "common/registry_writers.h"
#include "core/log/journal.h"
#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"

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

void FlushScheduledRenames()
{
    if (IsWin95Family()) {
        // The profile service keeps what it wrote in memory until told.
        char wininit[PATH_SIZE];
        if (FindWininit(wininit, sizeof(wininit)))
            WritePrivateProfileStringA(NULL, NULL, NULL, wininit);
        return;
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return;
    RegFlushKey(key);
    RegCloseKey(key);
}

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
    if (IsFollowedLink(path))
        return FILE_KEPT;   // deleting it would delete what it points to
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path) ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return FILE_GONE;
    return ScheduleDeletion(path) ? FILE_SCHEDULED : FILE_KEPT;
}

// ---- Links ----
//
// How Wine 8 presents a Unix symbolic link (measured with a probe under
// wine64 8.0): to a folder, GetFileAttributesA and FindFirstFileA add
// FILE_ATTRIBUTE_REPARSE_POINT (0x410), a handle's attributes do not; to a
// file, nothing marks it (0x20). Every open follows the link, also with
// FILE_FLAG_OPEN_REPARSE_POINT: the handle's volume serial, file index and
// final path are the target's, and DeleteFileA and RemoveDirectoryA delete
// the target and leave the link. On Windows a link opened with
// FILE_FLAG_OPEN_REPARSE_POINT is the link itself, and deleting a
// junction or symbolic link removes the link, never its target.

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

// Vista and later (and Wine) only; before them no delete follows a link.
static FinalPathFunction FinalPathOfHandle()
{
    static FinalPathFunction function;
    static bool looked;
    if (!looked) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel != NULL)
            function = (FinalPathFunction)(void *)GetProcAddress(
                kernel, "GetFinalPathNameByHandleA");
        looked = true;
    }
    return function;
}

// Opens path itself where the system allows (a link, not its target).
static HANDLE OpenEntry(const char *path)
{
    return CreateFileA(path, 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS |
                           FILE_FLAG_OPEN_REPARSE_POINT,
                       NULL);
}

// The path a handle of path reaches, in final (size bytes). Returns 1, 0
// when path cannot be opened, or -1 when the path does not fit.
static int ReadFinalPath(FinalPathFunction finalPath, const char *path,
                         char *final, size_t size)
{
    HANDLE handle = OpenEntry(path);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = finalPath(handle, final, (DWORD)size, 0);
    CloseHandle(handle);
    return got > 0 && got < size ? 1 : -1;
}

bool IsFollowedLink(const char *path)
{
    FinalPathFunction finalPath = FinalPathOfHandle();
    if (finalPath == NULL)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;   // nothing there to reach
    FindClose(search);
    char parent[PATH_SIZE];
    CopyText(parent, sizeof(parent), path);
    char *separator = FindLastSeparator(parent);
    if (separator == NULL)
        return false;
    separator[separator == parent + 2 && parent[1] == ':' ? 1 : 0] = '\0';
    // The entry as its parent folder holds it, against what opening the
    // path reaches: both through the same links above it.
    char entry[FINAL_PATH_SIZE];
    char reached[FINAL_PATH_SIZE];
    int parentRead = ReadFinalPath(finalPath, parent, entry, sizeof(entry));
    int pathRead = ReadFinalPath(finalPath, path, reached, sizeof(reached));
    if (parentRead == 0 || pathRead == 0)
        return false;   // cannot judge: removed as before
    // A path that leads somewhere too long to name is no entry of ours.
    return parentRead < 0 || pathRead < 0 ||
           AppendPath(entry, sizeof(entry), found.cFileName) < 0 ||
           !SamePath(entry, reached);
}

// ---- Protected folders ----

// What a folder is, whatever spelling reaches it (another drive letter, a
// short name, a link): NT family only, where folders can be opened.
struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

static bool ReadIdentity(const char *path, FolderIdentity *identity)
{
    // Without FILE_FLAG_OPEN_REPARSE_POINT: a link to a protected folder
    // is judged as that folder.
    HANDLE handle = CreateFileA(
        path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool read = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (read) {
        identity->volume = info.dwVolumeSerialNumber;
        identity->indexHigh = info.nFileIndexHigh;
        identity->indexLow = info.nFileIndexLow;
    }
    return read;
}

// Folders whose identities are kept: the shell folders with every folder
// above them come to about a hundred.
static const int kProtectedIdentities = 512;
// Values read from one shell-folder key: more is a damaged registry.
static const DWORD kShellFolderValues = 1024;

// Every protected folder, read once per process (ForgetProtectedFolders
// reads them again): each by its full, short and long names, and on the
// NT family by its identity.
struct ProtectedFolders {
    bool loaded;
    LogValueList names;
    FolderIdentity identities[kProtectedIdentities];
    int identityCount;
    unsigned drives;   // a bit per drive letter they lie on
};
static ProtectedFolders s_protected;
// The drives of the log's own folders (95 family): a bit per letter.
static unsigned s_logDrives;

static unsigned DriveBit(const char *path)
{
    char drive = path[0];
    if (drive >= 'a' && drive <= 'z')
        drive = (char)(drive - 'a' + 'A');
    if (drive < 'A' || drive > 'Z' || path[1] != ':')
        return 0;
    return 1u << (drive - 'A');
}

typedef DWORD(WINAPI *LongPathFunction)(LPCSTR, LPSTR, DWORD);

// The full name of path, and its short and long forms where they differ
// (GetLongPathNameA: Windows 98 and NT 5 on). Calls name for each.
static void ForEachSpelling(const char *path,
                            void (*name)(const char *spelling, void *context),
                            void *context)
{
    char full[PATH_SIZE];
    DWORD got = GetFullPathNameA(path, sizeof(full), full, NULL);
    if (got == 0 || got >= sizeof(full))
        return;
    name(full, context);
    char other[PATH_SIZE];
    got = GetShortPathNameA(full, other, sizeof(other));
    if (got > 0 && got < sizeof(other))
        name(other, context);
    // Looked up on each call: a function-local static with a run-time
    // value would bring in the C++ library's thread-safe initialisation,
    // whose imports Windows 95 and NT 4.0 lack.
    LongPathFunction longPath = (LongPathFunction)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
    if (longPath == NULL)
        return;
    got = longPath(full, other, sizeof(other));
    if (got > 0 && got < sizeof(other))
        name(other, context);
}

static bool HoldsName(const LogValueList *names, const char *path)
{
    for (int i = 0; i < names->count; i++)
        if (SamePath(names->values[i], path))
            return true;
    return false;
}

static void AddProtectedName(const char *spelling, void *context)
{
    (void)context;
    if (!HoldsName(&s_protected.names, spelling))
        AppendLogValue(&s_protected.names, spelling);
}

static bool HoldsIdentity(const FolderIdentity *identity)
{
    for (int i = 0; i < s_protected.identityCount; i++) {
        const FolderIdentity &known = s_protected.identities[i];
        if (known.volume == identity->volume &&
            known.indexHigh == identity->indexHigh &&
            known.indexLow == identity->indexLow)
            return true;
    }
    return false;
}

static void AddProtected(const char *folder)
{
    ForEachSpelling(folder, AddProtectedName, NULL);
    s_protected.drives |= DriveBit(folder);
    FolderIdentity identity;
    if (!IsWin95Family() && ReadIdentity(folder, &identity) &&
        !HoldsIdentity(&identity) &&
        s_protected.identityCount < kProtectedIdentities)
        s_protected.identities[s_protected.identityCount++] = identity;
}

// The folder and every folder above it, up to its drive root.
static void AddProtectedWithParents(const char *folder)
{
    char path[PATH_SIZE];
    DWORD got = GetFullPathNameA(folder, sizeof(path), path, NULL);
    if (folder[0] == '\0' || got == 0 || got >= sizeof(path))
        return;
    for (;;) {
        AddProtected(path);
        char *separator = FindLastSeparator(path);
        if (separator == NULL || separator[1] == '\0')
            return;
        separator[separator == path + 2 && path[1] == ':' ? 1 : 0] = '\0';
    }
}

// Every folder value of a "Shell Folders" or "User Shell Folders" key,
// REG_EXPAND_SZ expanded. Values too long for a path are passed over.
static void AddShellFolders(HKEY root, const char *keyName)
{
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < kShellFolderValues; index++) {
        char name[REGISTRY_NAME_SIZE];
        DWORD nameSize = sizeof(name);
        char value[PATH_SIZE];
        DWORD valueSize = sizeof(value) - 1;   // room for a missing NUL
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, name, &nameSize, NULL, &type,
                                    (BYTE *)value, &valueSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        value[valueSize] = '\0';
        char expanded[PATH_SIZE];
        DWORD needed = ExpandEnvironmentStringsA(value, expanded,
                                                 sizeof(expanded));
        if (type == REG_SZ)
            CopyText(expanded, sizeof(expanded), value);
        else if (needed == 0 || needed > sizeof(expanded))
            continue;
        AddProtectedWithParents(expanded);
    }
    RegCloseKey(key);
}

static const char kCurrentVersion[] =
    "Software\\Microsoft\\Windows\\CurrentVersion";
static const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static void AddRegistryFolder(const char *value)
{
    char folder[PATH_SIZE];
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, value, folder,
                         sizeof(folder)))
        AddProtectedWithParents(folder);
}

static const ProtectedFolders *LoadProtectedFolders()
{
    if (s_protected.loaded)
        return &s_protected;
    char folder[PATH_SIZE];
    UINT got = GetWindowsDirectoryA(folder, sizeof(folder));
    if (got > 0 && got < sizeof(folder))
        AddProtectedWithParents(folder);
    got = GetSystemDirectoryA(folder, sizeof(folder));
    if (got > 0 && got < sizeof(folder))
        AddProtectedWithParents(folder);
    AddRegistryFolder("ProgramFilesDir");
    AddRegistryFolder("CommonFilesDir");
    static const char *const kShellKeys[] = {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
        "Shell Folders",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
        "User Shell Folders"};
    for (const char *key : kShellKeys) {
        AddShellFolders(HKEY_CURRENT_USER, key);
        AddShellFolders(HKEY_LOCAL_MACHINE, key);
    }
    s_protected.loaded = true;
    return &s_protected;
}

void ForgetProtectedFolders()
{
    FreeLogValues(&s_protected.names);
    memset(&s_protected, 0, sizeof(s_protected));
    s_logDrives = 0;
}

void AllowDriveOf(const char *folder)
{
    s_logDrives |= DriveBit(folder);
}

static void MatchProtectedName(const char *spelling, void *context)
{
    if (HoldsName(&s_protected.names, spelling))
        *(bool *)context = true;
}

bool IsProtectedFolder(const char *path)
{
    if (!IsRemovablePath(path))
        return true;   // a drive root, or not a plain local path
    LoadProtectedFolders();
    bool named = HoldsName(&s_protected.names, path);
    if (!named)
        ForEachSpelling(path, MatchProtectedName, &named);
    if (named)
        return true;
    if (IsWin95Family()) {
        // No identity there: a subst drive reaches any folder by another
        // name, so only the drives the log and the system use count.
        unsigned known = s_logDrives | s_protected.drives;
        return s_logDrives != 0 && (DriveBit(path) & ~known) != 0;
    }
    FolderIdentity identity;
    return ReadIdentity(path, &identity) && HoldsIdentity(&identity);
}

bool RemoveEmptyFolder(const char *path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return true;
    if (IsProtectedFolder(path) || IsFollowedLink(path))
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

RemovalVerdict JudgeRemoval(const char *path)
{
    if (!IsRemovablePath(path))
        return REMOVAL_BAD_PATH;
    if (IsFollowedLink(path))
        return REMOVAL_FOLLOWED_LINK;
    if (IsProtectedFolder(path))
        return REMOVAL_PROTECTED;
    return REMOVAL_ALLOWED;
}

const char *DescribeRemovalVerdict(RemovalVerdict verdict)
{
    switch (verdict) {
    case REMOVAL_ALLOWED:
        return "may be removed";
    case REMOVAL_BAD_PATH:
        return "not a complete local path";
    case REMOVAL_FOLLOWED_LINK:
        return "a link to another place";
    case REMOVAL_PROTECTED:
        return "a folder that is never removed";
    }
    return "not usable";
}
