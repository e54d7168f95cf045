#include "uninstall/registry_remove.h"

#include <stdio.h>

#include "core/setup_limits.h"

static const char kNetLibKey[] = "Software\\Vorstmark\\NETLNK32";
static const char kNetLibApplicationKey[] =
    "Software\\Vorstmark\\NETLNK32\\Application";
static const char kNetLibMakerKey[] = "Software\\Vorstmark";

bool KeyExists(const char *key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// Whether the key holds values or subkeys; -1 when it cannot be read.
static int KeyContents(const char *key, DWORD *values, DWORD *subkeys)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return -1;
    LONG result = RegQueryInfoKeyA(opened, NULL, NULL, NULL, subkeys, NULL,
                                   NULL, values, NULL, NULL, NULL, NULL);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS ? 1 : -1;
}

bool DeleteKeyIfEmpty(const char *key)
{
    if (key[0] == '\0' || key[0] == '\\')
        return false;   // would address the root itself
    DWORD values = 0, subkeys = 0;
    if (KeyContents(key, &values, &subkeys) < 0)
        return !KeyExists(key);
    if (values != 0 || subkeys != 0)
        return false;
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS;
}

bool DeleteKeyTree(const char *key)
{
    if (key[0] == '\0' || key[0] == '\\')
        return false;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return !KeyExists(key);
    // Subkeys first: the NT family does not delete a key that has any.
    char child[PATH_SIZE];
    char childPath[PATH_SIZE * 2];
    for (;;) {
        DWORD length = sizeof(child);
        if (RegEnumKeyExA(opened, 0, child, &length, NULL, NULL, NULL,
                          NULL) != ERROR_SUCCESS)
            break;
        int formed = snprintf(childPath, sizeof(childPath), "%s\\%s", key,
                              child);
        if (formed < 0 || formed >= (int)sizeof(childPath) ||
            !DeleteKeyTree(childPath))
            break;
    }
    RegCloseKey(opened);
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, key) == ERROR_SUCCESS;
}

bool ReleaseNetworkLibrary(const char *appName)
{
    HKEY applications;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetLibApplicationKey, 0,
                      KEY_READ | KEY_SET_VALUE,
                      &applications) == ERROR_SUCCESS) {
        if (appName[0] != '\0')
            RegDeleteValueA(applications, appName);
        RegCloseKey(applications);
    }
    DWORD values = 0, subkeys = 0;
    if (KeyContents(kNetLibApplicationKey, &values, &subkeys) > 0 &&
        (values != 0 || subkeys != 0))
        return false;   // another application still uses the library
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNetLibApplicationKey);
    HKEY library;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetLibKey, 0, KEY_SET_VALUE,
                      &library) == ERROR_SUCCESS) {
        RegDeleteValueA(library, "Version");
        RegCloseKey(library);
    }
    DeleteKeyIfEmpty(kNetLibKey);
    // The maker's key was created for the library; another product of the
    // maker keeps it.
    DeleteKeyIfEmpty(kNetLibMakerKey);
    return true;
}
