#include "common/registry_writers.h"

#include <stdio.h>
#include <string.h>

#include "common/install_report.h"
#include "core/setup_limits.h"
#include "core/text/registry_text.h"

static const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

static bool CreateKeyForWriting(HKEY root, const char *subkey, HKEY *key)
{
    return RegCreateKeyExA(root, subkey, 0, NULL, REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, NULL, key, NULL) == ERROR_SUCCESS;
}

static bool SetString(HKEY key, const char *valueName, const char *text)
{
    return RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)text,
                          (DWORD)strlen(text) + 1) == ERROR_SUCCESS;
}

int WriteDwordValue(HKEY root, const char *subkey, const char *valueName,
                    DWORD number)
{
    HKEY key;
    if (!CreateKeyForWriting(root, subkey, &key)) {
        ReportRegistryWrite(root, subkey, valueName, false);
        return 0;
    }
    LONG set = RegSetValueExA(key, valueName, 0, REG_DWORD,
                              (const BYTE *)&number, sizeof(number));
    ReportRegistryWrite(root, subkey, valueName, set == ERROR_SUCCESS);
    RegCloseKey(key);
    return 1;
}

int WriteStringValue(HKEY root, const char *subkey, const char *valueName,
                     const char *text)
{
    HKEY key;
    if (!CreateKeyForWriting(root, subkey, &key)) {
        ReportRegistryWrite(root, subkey, valueName, false);
        return 0;
    }
    ReportRegistryWrite(root, subkey, valueName,
                        SetString(key, valueName, text));
    RegCloseKey(key);
    return 1;
}

int ReadRegistryValue(HKEY root, const char *subkey, const char *valueName,
                      BYTE *buffer, DWORD *byteCount)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    LONG result = RegQueryValueExA(key, valueName, NULL, NULL, buffer,
                                   byteCount);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 1 : 0;
}

int ReadRegistryText(HKEY root, const char *subkey, const char *valueName,
                     char *text, DWORD size)
{
    if (size == 0)
        return 0;
    // The whole buffer is offered: a text that fills it up to its NUL
    // fits. Stored data without a NUL gets one here, if there is room.
    DWORD bytes = size;
    if (!ReadRegistryValue(root, subkey, valueName, (BYTE *)text, &bytes)) {
        text[0] = '\0';
        return 0;
    }
    return EndRegistryText(text, size, bytes) >= 0 ? 1 : 0;
}

bool FormUninstallEntryKey(char *keyPath, size_t size, const char *keyName)
{
    if (size == 0 || keyName[0] == '\0')
        return false;
    int wanted = snprintf(keyPath, size, "%s\\%s", kUninstallKey, keyName);
    return wanted > 0 && (size_t)wanted < size;
}

int WriteUninstallEntry(const char *keyName, const char *displayName,
                        const char *uninstallCommand, const char *iconPath)
{
    char keyPath[UNINSTALL_KEY_PATH_SIZE];
    if (!FormUninstallEntryKey(keyPath, sizeof(keyPath), keyName))
        return 0;

    HKEY key;
    if (!CreateKeyForWriting(HKEY_LOCAL_MACHINE, keyPath, &key)) {
        ReportRegistryWrite(HKEY_LOCAL_MACHINE, keyPath, "DisplayName", false);
        return 0;
    }
    bool written = SetString(key, "DisplayName", displayName);
    written = SetString(key, "UninstallString", uninstallCommand) && written;
    written = SetString(key, "DisplayIcon", iconPath) && written;
    ReportRegistryWrite(HKEY_LOCAL_MACHINE, keyPath,
                        "DisplayName, UninstallString, DisplayIcon", written);
    RegCloseKey(key);
    return 1;
}

static bool SetDword(HKEY key, const char *valueName, DWORD number)
{
    return RegSetValueExA(key, valueName, 0, REG_DWORD,
                          (const BYTE *)&number,
                          sizeof(number)) == ERROR_SUCCESS;
}

static bool SetTextIfGiven(HKEY key, const char *valueName, const char *text)
{
    return text[0] == '\0' || SetString(key, valueName, text);
}

int WriteUninstallDetails(const char *keyName,
                          const UninstallDetails *details)
{
    char keyPath[UNINSTALL_KEY_PATH_SIZE];
    if (!FormUninstallEntryKey(keyPath, sizeof(keyPath), keyName))
        return 0;
    HKEY key;
    if (!CreateKeyForWriting(HKEY_LOCAL_MACHINE, keyPath, &key)) {
        ReportRegistryWrite(HKEY_LOCAL_MACHINE, keyPath, "DisplayVersion",
                            false);
        return 0;
    }
    bool written =
        SetTextIfGiven(key, "DisplayVersion", details->displayVersion);
    written = SetTextIfGiven(key, "Publisher", details->publisher) && written;
    written = SetTextIfGiven(key, "InstallLocation",
                             details->installLocation) && written;
    written = SetTextIfGiven(key, "QuietUninstallString",
                             details->quietCommand) && written;
    written = SetDword(key, "EstimatedSize", details->estimatedSizeKb) &&
              written;
    written = SetDword(key, "NoModify", 1) && written;
    written = SetDword(key, "NoRepair", 1) && written;
    ReportRegistryWrite(HKEY_LOCAL_MACHINE, keyPath,
                        "DisplayVersion, Publisher, InstallLocation, "
                        "QuietUninstallString, EstimatedSize, NoModify, "
                        "NoRepair",
                        written);
    RegCloseKey(key);
    return 1;
}
