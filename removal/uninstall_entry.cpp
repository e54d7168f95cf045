#include "removal/uninstall_entry.h"

#include <windows.h>
#include <stdio.h>

#include "common/registry_writers.h"
#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "log/log_files.h"

static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

static bool EntryKeyExists(const char *entry)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry, 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// The uninstall entry the log names, in entry (size bytes). Returns 1, 0
// when the log names none, or -1 when the name is unusable: too long, or
// with a backslash that would reach another program's entry (a Shift-JIS
// trail byte is no backslash).
int ReadUninstallEntry(const char *logPath, char *entry, size_t size)
{
    char key[UNINSTALL_KEY_NAME_SIZE + 1];
    DWORD got = GetPrivateProfileStringA("UnInstKey", "UnInstKey_File", "",
                                         key, sizeof(key), logPath);
    if (got == 0)
        return 0;
    if (got >= UNINSTALL_KEY_NAME_SIZE || FindLastSeparator(key) != NULL)
        return -1;
    int wanted = snprintf(entry, size, "%s\\%s", kUninstallRoot, key);
    return wanted > 0 && (size_t)wanted < size ? 1 : -1;
}

// Whether named and logPath are one file: compared as full paths, then by
// their short names (the entry may name the log by either).
static bool SameLogFile(const char *named, const char *logPath)
{
    char files[2][PATH_SIZE];
    char full[2][PATH_SIZE];
    const char *paths[2] = {named, logPath};
    for (int i = 0; i < 2; i++) {
        DWORD got = 0;
        if (ResolveLogFile(paths[i], files[i], sizeof(files[i])))
            got = GetFullPathNameA(files[i], sizeof(full[i]), full[i], NULL);
        if (got == 0 || got >= sizeof(full[i]))
            return false;
    }
    if (SamePath(full[0], full[1]))
        return true;
    // A short name is asked of the file system only for local paths: a
    // foreign entry's network path must not keep the removal waiting.
    if (!IsRemovablePath(full[0]) || !IsRemovablePath(full[1]))
        return false;
    char shortNames[2][PATH_SIZE];
    for (int i = 0; i < 2; i++) {
        DWORD got = GetShortPathNameA(full[i], shortNames[i],
                                      sizeof(shortNames[i]));
        if (got == 0 || got >= sizeof(shortNames[i]))
            return false;
    }
    return SamePath(shortNames[0], shortNames[1]);
}

// Whether the uninstall entry may go with this log: it is gone already,
// or its "UninstallString" names this log. Another product's entry, which
// a damaged or foreign log may name, stays.
bool EntryNamesLog(const char *entry, const char *logPath)
{
    if (!EntryKeyExists(entry))
        return true;
    char command[PATH_SIZE];   // as long as setup writes it
    if (!ReadRegistryText(HKEY_LOCAL_MACHINE, entry, "UninstallString",
                          command, sizeof(command)))
        return false;
    for (const char *tail = NextCommandTail(command, NULL); tail != NULL;
         tail = NextCommandTail(command, tail)) {
        bool silent;
        char named[PATH_SIZE];
        if (ParseUninstallCommandLine(tail, &silent, named, sizeof(named)) &&
            SameLogFile(named, logPath))
            return true;
    }
    return false;
}
