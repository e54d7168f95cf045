#include "transaction/file_replace.h"

#include <stdio.h>
#include <string.h>

#include "common/media_sums.h"
#include "common/platform.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "removal/file_remove.h"

bool FormSidePath(const char *target, const char *tag, const char *extension,
                  char *path, size_t size)
{
    const char *separator = FindLastSeparator(target);
    if (separator == NULL)
        return false;
    size_t folderLength = (size_t)(separator + 1 - target);
    size_t tagLength = strlen(tag);
    size_t extensionLength = strlen(extension);
    if (folderLength + tagLength + extensionLength + 1 > size)
        return false;
    memcpy(path, target, folderLength);
    memcpy(path + folderLength, tag, tagLength);
    memcpy(path + folderLength + tagLength, extension, extensionLength + 1);
    return true;
}

// Whether folder holds any file named like a side file ("~st*"). A stat
// of a missing name costs a scan of the folder under Wine, so each folder
// is looked at once, and only one that holds such files (left by someone
// else: the run's own names never repeat) has each name checked.
static bool FolderHasSideFiles(const char *target)
{
    static char s_folder[PATH_SIZE];
    static bool s_hasSideFiles;
    char pattern[PATH_SIZE];
    if (!FormSidePath(target, "~st*", "", pattern, sizeof(pattern)))
        return true;
    size_t folderLength = strlen(pattern) - strlen("~st*");
    if (strlen(s_folder) == folderLength &&
        strncmp(s_folder, pattern, folderLength) == 0)
        return s_hasSideFiles;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    s_hasSideFiles = search != INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    CopyText(s_folder, sizeof(s_folder), pattern);
    s_folder[folderLength] = '\0';
    return s_hasSideFiles;
}

bool ChooseSideTag(const char *target, char *tag, size_t size)
{
    // One counter for the whole run: two targets of one folder never share
    // a tag, even before either side file exists.
    static unsigned s_next = 1;
    bool check = FolderHasSideFiles(target);
    for (int tries = 0; tries < 4096; tries++) {
        snprintf(tag, size, "~st%05X", s_next++ & 0xFFFFFu);
        char temporary[PATH_SIZE];
        char backup[PATH_SIZE];
        if (!FormSidePath(target, tag, ".tmp", temporary, sizeof(temporary)) ||
            !FormSidePath(target, tag, ".bak", backup, sizeof(backup)))
            return false;
        if (!check || (!PathExists(temporary) && !PathExists(backup)))
            return true;
    }
    return false;
}

// One buffer for every copy: large files go in few reads and writes.
static char s_copyBuffer[COPY_BUFFER_SIZE];

// Each buffer read is also hashed for the media's checksum list, so the
// file is read once.
static bool CopyContents(HANDLE from, HANDLE to, MediaFileCheck *check)
{
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, s_copyBuffer, sizeof(s_copyBuffer), &got, NULL))
            return false;
        if (got == 0)
            return true;
        FeedMediaFileCheck(check, s_copyBuffer, got);
        DWORD written = 0;
        if (!WriteFile(to, s_copyBuffer, got, &written, NULL))
            return false;
        // Fewer bytes taken without an error: the volume is full, and the
        // error code still holds whatever an earlier call left.
        if (written != got) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

bool CopyToTemporary(const char *source, const char *temporary, bool flush,
                     DWORD *error)
{
    HANDLE from = CreateFileA(source, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (from == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    HANDLE to = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (to == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        CloseHandle(from);
        return false;
    }
    FILETIME written;
    MediaFileCheck check;
    BeginMediaFileCheck(&check, source);
    bool copied = CopyContents(from, to, &check);
    if (!copied)
        *error = GetLastError() != ERROR_SUCCESS ? GetLastError()
                                                 : (DWORD)ERROR_WRITE_FAULT;
    else if ((*error = EndMediaFileCheck(&check, source)) != 0)
        copied = false;   // damaged on the medium: never put in place
    if (copied && GetFileTime(from, NULL, NULL, &written))
        SetFileTime(to, NULL, NULL, &written);
    // A file that replaces an earlier one reaches the disk before its name
    // takes the target's: the commit deletes the old file's backup, and a
    // power loss after it must find the new bytes.
    if (copied && flush && !FlushFileBuffers(to)) {
        copied = false;
        *error = GetLastError() != ERROR_SUCCESS ? GetLastError()
                                                 : (DWORD)ERROR_WRITE_FAULT;
    }
    CloseHandle(to);
    CloseHandle(from);
    return copied;
}

// Whether a failed replacement of a target that exists means that another
// program holds it: whatever share mode it chose, the system refuses with
// a sharing or lock violation, or denies the replacement of a file it
// maps (a loaded library). Such a target waits for the restart.
static bool IsHeldTarget(const char *target, DWORD error)
{
    DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;   // no file: nothing another program could hold
    return error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

static PlacedFile PlaceAtRestart(const char *temporary, const char *target,
                                 DWORD *error)
{
    if (ScheduleReplacement(temporary, target))
        return PLACED_AT_RESTART;
    *error = GetLastError();
    return PLACE_FAILED;
}

// The outcome of a replacement that failed with error.
static PlacedFile AfterFailure(const char *temporary, const char *target,
                               DWORD *error)
{
    if (IsHeldTarget(target, *error))
        return PlaceAtRestart(temporary, target, error);
    return PLACE_FAILED;
}

typedef BOOL(WINAPI *CreateHardLinkCall)(LPCSTR, LPCSTR,
                                         LPSECURITY_ATTRIBUTES);

// CreateHardLinkA, which Windows 2000 and later have: NULL elsewhere.
static CreateHardLinkCall FindCreateHardLink()
{
    static bool s_looked;
    static CreateHardLinkCall s_call;
    if (!s_looked) {
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        FARPROC found = kernel != NULL
                            ? GetProcAddress(kernel, "CreateHardLinkA")
                            : NULL;
        static_assert(sizeof(s_call) == sizeof(found), "code pointers");
        memcpy(&s_call, &found, sizeof(found));
        s_looked = true;
    }
    return s_call;
}

// The old file under its backup name as well, while the target keeps it:
// a second name for the same file where the volume allows (nothing is
// copied), else a copy.
static bool KeepBackup(const char *target, const char *backup, DWORD *error)
{
    CreateHardLinkCall createHardLink = FindCreateHardLink();
    if (createHardLink != NULL && createHardLink(backup, target, NULL))
        return true;
    if (CopyFileA(target, backup, FALSE))
        return true;
    *error = GetLastError();
    DeleteFileA(backup);
    return false;
}

// The 95 family has no call that replaces a file whole: the old one goes
// to its backup name, then the new one takes the target's. Between the
// two the target is briefly absent; the journal's step restores it.
static PlacedFile ReplaceOnWin95(const char *temporary, const char *target,
                                 const char *backup, DWORD *error)
{
    if (!MoveFileA(target, backup)) {
        *error = GetLastError();
        if (PathExists(target))
            return AfterFailure(temporary, target, error);
        // Gone meanwhile: nothing to keep.
    }
    if (MoveFileOver(temporary, target))
        return PLACED_NOW;
    *error = GetLastError();
    if (PathExists(backup))
        MoveFileA(backup, target);   // the old file back in its place
    return AfterFailure(temporary, target, error);
}

// NT: the target is never absent. The old file is kept under its backup
// name first, then one rename puts the new file over the target. (A
// ReplaceFileA call is no such step: it may move the old file away and
// then fail to bring the new one, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, and
// Wine's makes two renames.) A read-only target is made writable for the
// rename; its backup gets the attribute back, so the rollback gives the
// file back as it was.
static PlacedFile ReplaceOnNt(const char *temporary, const char *target,
                              const char *backup, DWORD *error)
{
    DWORD attributes = GetFileAttributesA(target);
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_READONLY);
    if (!KeepBackup(target, backup, error))
        return AfterFailure(temporary, target, error);
    if (readOnly)
        SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING)) {
        if (readOnly)
            SetFileAttributesA(backup, attributes);
        return PLACED_NOW;
    }
    *error = GetLastError();
    // The backup first: a second name of the target shares its attributes.
    SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(backup);
    if (readOnly)
        SetFileAttributesA(target, attributes);
    return AfterFailure(temporary, target, error);
}

// Whether another program has target open, whatever it shares: an open
// that shares nothing fails then. A rename may still succeed under a
// handle that shares deletion, but the program (a loader holding a
// library) keeps using the old file, so it waits for the restart too.
static bool IsHeldOpen(const char *target)
{
    HANDLE file = CreateFileA(target, GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

PlacedFile PlaceNewFile(const char *temporary, const char *target,
                        const char *backup, bool keepOld, DWORD *error)
{
    *error = 0;
    if (keepOld && IsHeldOpen(target)) {
        *error = ERROR_SHARING_VIOLATION;
        return PlaceAtRestart(temporary, target, error);
    }
    if (keepOld && PathExists(target))
        return IsWin95Family() ? ReplaceOnWin95(temporary, target, backup,
                                                error)
                               : ReplaceOnNt(temporary, target, backup,
                                             error);
    if (MoveFileOver(temporary, target))
        return PLACED_NOW;
    *error = GetLastError();
    return AfterFailure(temporary, target, error);
}
