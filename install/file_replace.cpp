#include "install/file_replace.h"

#include <stdio.h>
#include <string.h>

#include "common/platform.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "install/file_remove.h"
#include "install/media_sums.h"

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

static bool Exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
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
        if (!check || (!Exists(temporary) && !Exists(backup)))
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
        if (!WriteFile(to, s_copyBuffer, got, &written, NULL) ||
            written != got)
            return false;
    }
}

bool CopyToTemporary(const char *source, const char *temporary, DWORD *error)
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
        *error = GetLastError();
    else if ((*error = EndMediaFileCheck(&check, source)) != 0)
        copied = false;   // damaged on the medium: never put in place
    else if (GetFileTime(from, NULL, NULL, &written))
        SetFileTime(to, NULL, NULL, &written);
    CloseHandle(to);
    CloseHandle(from);
    return copied;
}

bool IsFileInUse(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

static PlacedFile PlaceAtRestart(const char *temporary, const char *target,
                                 DWORD *error)
{
    if (ScheduleReplacement(temporary, target))
        return PLACED_AT_RESTART;
    *error = GetLastError();
    return PLACE_FAILED;
}

PlacedFile PlaceNewFile(const char *temporary, const char *target,
                        const char *backup, bool keepOld, DWORD *error)
{
    *error = 0;
    if (keepOld && !MoveFileA(target, backup)) {
        *error = GetLastError();
        if (IsFileInUse(target))
            return PlaceAtRestart(temporary, target, error);
        if (Exists(target))
            return PLACE_FAILED;
        // Gone meanwhile: nothing to keep.
    }
    if (MoveFileOver(temporary, target))
        return PLACED_NOW;
    *error = GetLastError();
    if (keepOld && Exists(backup))
        MoveFileA(backup, target);   // the old file back in its place
    if (IsFileInUse(target))
        return PlaceAtRestart(temporary, target, error);
    return PLACE_FAILED;
}
