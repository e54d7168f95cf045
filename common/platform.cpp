#include "common/platform.h"

static DWORD g_versionOverride;

bool IsWin95Family()
{
    DWORD version = g_versionOverride != 0 ? g_versionOverride : GetVersion();
    return (version & 0x80000000u) != 0;
}

void OverridePlatformVersion(DWORD version)
{
    g_versionOverride = version;
}

bool MoveFileOver(const char *source, const char *target)
{
    if (!IsWin95Family())
        return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != 0;
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES &&
        !DeleteFileA(target))
        return false;
    return MoveFileA(source, target) != 0;
}

bool ReadWholeProfileSection(const char *section, char *buffer, DWORD size,
                             const char *file)
{
    const DWORD win95Limit = 32767;
    if (IsWin95Family() && size > win95Limit)
        size = win95Limit;
    if (size < 2)
        return false;
    // A read that fails may leave the buffer as it was.
    buffer[0] = buffer[1] = '\0';
    return GetPrivateProfileSectionA(section, buffer, size, file) < size - 2;
}

bool PathExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ReadFileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL got = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return got != FALSE;
}

bool IsOneFile(const BY_HANDLE_FILE_INFORMATION *a,
               const BY_HANDLE_FILE_INFORMATION *b)
{
    return a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
           a->nFileIndexHigh == b->nFileIndexHigh &&
           a->nFileIndexLow == b->nFileIndexLow;
}
