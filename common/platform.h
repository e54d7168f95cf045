// Which platform family the program runs on, and the small file and
// profile calls whose behaviour differs between the families. Wine's
// 64-bit loader always reports the NT family, so tests reach the 95 branch
// through the override.
#pragma once

#include <windows.h>

// True on Windows 95/98/Me: the top bit of GetVersion() is set.
bool IsWin95Family();

// Tests only: replaces GetVersion()'s result (0 restores the real one).
void OverridePlatformVersion(DWORD version);

// Renames source over target, which may exist: MoveFileExA with
// MOVEFILE_REPLACE_EXISTING on the NT family; on the 95 family, which has
// no such call, target is deleted first. Returns whether it was done.
bool MoveFileOver(const char *source, const char *target);

// Whether something (a file or a folder) is at path, whether a file is,
// and whether a folder is: the attributes say.
bool PathExists(const char *path);
bool IsFile(const char *path);
bool IsFolder(const char *path);

// The volume, index, size and times of an existing file, which name it
// whatever path leads to it (short names, substituted drives, links).
// Returns false when it cannot be opened.
bool ReadFileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info);

// Whether two readings are one file: the same volume and index.
bool IsOneFile(const BY_HANDLE_FILE_INFORMATION *a,
               const BY_HANDLE_FILE_INFORMATION *b);

// Reads the whole of a profile section into buffer ("key=value", each
// ending in NUL, then one more NUL). Returns false, with buffer holding
// nothing to rely on, when the section does not fit: more than size, or on
// Windows 9x more than the 32,767 bytes that one read gives there.
bool ReadWholeProfileSection(const char *section, char *buffer, DWORD size,
                             const char *file);
