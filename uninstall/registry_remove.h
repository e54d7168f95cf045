// Registry keys and values of the installation going.
#pragma once

#include <windows.h>

// Whether HKEY_LOCAL_MACHINE\key can be opened for reading.
bool KeyExists(const char *key);

// Deletes HKEY_LOCAL_MACHINE\key with all its subkeys and values (also on
// Windows 95 and NT 4.0, which have no RegDeleteTree). Returns true when it
// is gone afterwards.
bool DeleteKeyTree(const char *key);

// Deletes HKEY_LOCAL_MACHINE\key when it holds neither values nor subkeys.
bool DeleteKeyIfEmpty(const char *key);

// Removes this application's value under the network library's
// Application key. Returns true when no other application remains there,
// in which case the library's keys are gone too; false keeps the library.
bool ReleaseNetworkLibrary(const char *appName);
