// The removal of one installation, as its uninstall log lists it, with the
// sharing rules of the install run: the network library stays while another
// application is registered with it, the common component while the
// delivery utility of the same edition is installed.
#pragma once

#include <windows.h>

#include "core/exit_codes.h"
#include "core/setup_limits.h"
#include "log/uninstaller_notes.h"

// The log's [Uninstaller] section. A log without it (an older setup) is
// still uninstalled, with the safe choices: shared parts kept, no check for
// the running utility, the system's language.
struct UninstallNotes {
    bool present;
    char language[LANGUAGE_CODE_SIZE];
    char appName[APP_NAME_SIZE];
    char utilityPrefix[WINDOW_CLASS_SIZE];
    char sharingKey[PATH_SIZE];
};

// What stayed behind, for the closing message.
struct RemovalReport {
    int scheduled;                       // deleted at the next restart
    char firstScheduled[PATH_SIZE];
    int failed;                          // listed, neither removed nor
                                         // scheduled (unusable entries too)
    char firstFailed[PATH_SIZE];
    int keptFolders;                     // still holding the user's files
    char keptFolder[PATH_SIZE];
    char keptFolderFile[PATH_SIZE];
    bool keptNetworkLibrary;
    bool keptCommonFiles;
};

// Called before each removal step with the path in hand.
typedef void (*RemovalProgress)(void *context, int step, int steps,
                                const char *path);

// Whether the log exists and lists an installation (an [UnInstKey] or a
// file section). Returns 1, else 0.
int IsUsableLog(const char *logPath);

void ReadUninstallNotes(const char *logPath, UninstallNotes *notes);

// The uninstall entry's "DisplayName", or the key name, or "" (size bytes).
void ReadDisplayName(const char *logPath, char *name, size_t size);

// Whether the file utility named by the notes is running.
bool IsUtilityRunning(const UninstallNotes *notes);

// Removes everything the log lists; when all of it went, also the log, the
// uninstall entry and the uninstaller itself when the log lists it.
// progress may be NULL. Returns UNINSTALL_REMOVED, UNINSTALL_RESTART or
// UNINSTALL_PARTIAL.
int RemoveInstallation(const char *logPath, const UninstallNotes *notes,
                       RemovalReport *report, RemovalProgress progress,
                       void *context);

// Tests only: where the 95 family's restart renames go (NULL: the real
// wininit.ini in the Windows folder).
void SetWininitPath(const char *path);
