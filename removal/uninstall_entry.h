// The uninstall entry a log names, and the uninstaller's rule for changing
// it: an entry goes, or is given back its old values, only while its
// "UninstallString" names this log. Another product's entry, which a
// damaged or foreign log or journal may name, stays. Shared by the
// uninstaller and the install run's rollback.
#pragma once

#include <stddef.h>

// The uninstall entry the log names ([UnInstKey] UnInstKey_File), as a key
// below HKEY_LOCAL_MACHINE, in entry (size bytes). Returns 1, 0 when the
// log names none, or -1 when the name is unusable: too long, or with a
// backslash that would reach another program's entry (a Shift-JIS trail
// byte is no backslash).
int ReadUninstallEntry(const char *logPath, char *entry, size_t size);

// Whether the uninstall entry may go with this log: it is gone already,
// or its "UninstallString" names this log (compared as a path: letter
// case, short or long name).
bool EntryNamesLog(const char *entry, const char *logPath);
