// Folder macros of the install script, the shell's Programs and Startup
// folders, and creation of a folder with all its parents.
#pragma once

#include <windows.h>
#include <stddef.h>

// Copies source into dest (size bytes) and replaces, in this order,
// "@SYSTEMDIR", "@WINDOWSDIR", "@LANGDIR" (the bare language code) and
// "@STARTUPDIR" (the Startup folder for allUsers; empty when it cannot be
// read). The copy is cut to size; a replacement that does not fit leaves
// its token in place. Returns 1, or 0 when the copy was cut or a token
// was left (dest is then no folder to use).
int ExpandFolderMacros(char *dest, size_t size, const char *source,
                       int allUsers);

// Reads a shell folder: the per-user value under HKEY_CURRENT_USER on the
// 95 family or when allUsers is 0, else the common value under
// HKEY_LOCAL_MACHINE. NULL names mean "Programs" / "Common Programs".
// Returns the length of the path read (terminated within size), or 0.
int GetShellFolder(char *buffer, size_t size, const char *userName,
                   const char *commonName, int allUsers);

// Creates every folder along path; failures (existing folders, the drive)
// are ignored.
void CreateFolderPath(const char *path);

// Called for each subfolder found; returns whether it counts.
typedef bool (*SubfolderVisit)(void *context, const WIN32_FIND_DATAA *found);

// Visits the folders directly inside folder ("." and ".." are not
// visited) and returns how many the visitor counted, or -1 when the folder
// cannot be listed. An empty folder name (a failed look-up) is not listed,
// rather than taken for the current folder.
int VisitSubfolders(const char *folder, SubfolderVisit visit, void *context);
