// The registry writes of the installation: product keys and the entry in
// the system's list of installed programs. Keys are created (with every
// missing key above them) or opened for writing; values are REG_SZ in the
// ANSI code page or REG_DWORD. Nothing here shows anything.
#pragma once

#include <windows.h>
#include <stddef.h>

// Creates or opens root\subkey and sets the value. Returns 1 when the key
// could be created or opened (the result of the set itself is not
// examined), else 0.
int WriteDwordValue(HKEY root, const char *subkey, const char *valueName,
                    DWORD number);
int WriteStringValue(HKEY root, const char *subkey, const char *valueName,
                     const char *text);

// Reads a value into buffer; *byteCount is the capacity on entry and the
// number of bytes read on success. The type is not checked. Returns 1 when
// the value was read, else 0.
int ReadRegistryValue(HKEY root, const char *subkey, const char *valueName,
                      BYTE *buffer, DWORD *byteCount);

// Reads a string value into text (size bytes), always terminated, also
// when the stored data carries no NUL of its own. Returns 1 when read, 0
// (text empty) when missing or longer than size - 1 characters.
int ReadRegistryText(HKEY root, const char *subkey, const char *valueName,
                     char *text, DWORD size);

// The uninstall entry's key below HKEY_LOCAL_MACHINE for keyName. Returns
// false for an empty name or one that does not fit.
bool FormUninstallEntryKey(char *keyPath, size_t size, const char *keyName);

// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
// \keyName with "DisplayName", "UninstallString" and "DisplayIcon", in that
// order. An empty key name is refused (it would write into the Uninstall
// key itself). Returns 1 when the key could be created or opened, else 0.
int WriteUninstallEntry(const char *keyName, const char *displayName,
                        const char *uninstallCommand, const char *iconPath);

// The entry's values for deployment tools and Add/Remove Programs beside
// the three above. An empty text is not written.
struct UninstallDetails {
    const char *displayVersion;
    const char *publisher;
    const char *installLocation;
    const char *quietCommand;
    DWORD estimatedSizeKb;
};

// Writes "DisplayVersion", "Publisher", "InstallLocation",
// "QuietUninstallString", "EstimatedSize", "NoModify"=1 and "NoRepair"=1
// into the entry of keyName. Returns 1 when the key could be created or
// opened, else 0.
int WriteUninstallDetails(const char *keyName,
                          const UninstallDetails *details);
