#include "uninstall/progman_remove.h"

#include <windows.h>
#include <ddeml.h>
#include <string.h>

#include "common/dbcs.h"
#include "common/setup_limits.h"
#include "uninstall/file_remove.h"
#include "uninstall/log_reader.h"

static HDDEDATA CALLBACK RemoveDdeCallback(UINT, UINT, HCONV, HSZ, HSZ,
                                           HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

struct ProgmanLink {
    DWORD instance;
    HSZ service;
    HCONV conversation;
};

// Program Manager is not started for this: whatever it does not remove is
// deleted as a file.
static bool ConnectProgman(ProgmanLink *link)
{
    memset(link, 0, sizeof(*link));
    if (DdeInitializeA(&link->instance, RemoveDdeCallback, APPCMD_CLIENTONLY,
                       0) != DMLERR_NO_ERROR)
        return false;
    link->service = DdeCreateStringHandleA(link->instance, "PROGMAN",
                                           CP_WINANSI);
    link->conversation = DdeConnect(link->instance, link->service,
                                    link->service, NULL);
    return link->conversation != NULL;
}

static void DisconnectProgman(ProgmanLink *link)
{
    if (link->conversation != NULL)
        DdeDisconnect(link->conversation);
    if (link->service != NULL)
        DdeFreeStringHandle(link->instance, link->service);
    if (link->instance != 0)
        DdeUninitialize(link->instance);
}

static bool Execute(ProgmanLink *link, const char *command)
{
    return DdeClientTransaction((BYTE *)command, (DWORD)strlen(command) + 1,
                                link->conversation, NULL, CF_TEXT,
                                XTYP_EXECUTE, 1000, NULL) != 0;
}

static bool IsShortcut(const char *path)
{
    char group[PATH_SIZE];
    char title[PATH_SIZE];
    return SplitShortcutPath(path, group, sizeof(group), title,
                             sizeof(title));
}

// The folder of a shortcut (size bytes).
static bool FolderOf(const char *path, char *folder, size_t size)
{
    CopyText(folder, size, path);
    char *separator = FindLastSeparator(folder);
    if (separator == NULL)
        return false;
    *separator = '\0';
    return true;
}

static bool FolderIsEmpty(const char *folder)
{
    char name[PATH_SIZE];
    return !FirstEntryOf(folder, name, sizeof(name));
}

// DeleteGroup removes the group's folder with everything in it, so it is
// sent only when the folder is empty under both Programs folders, and never
// for a folder of the shell's own such as Startup.
static void DeleteEmptyGroup(ProgmanLink *link, const char *shortcut)
{
    char folder[PATH_SIZE];
    char other[PATH_SIZE];
    char group[PATH_SIZE];
    char title[PATH_SIZE];
    if (!FolderOf(shortcut, folder, sizeof(folder)) ||
        !SplitShortcutPath(shortcut, group, sizeof(group), title,
                           sizeof(title)) ||
        IsProtectedFolder(folder) || !FolderIsEmpty(folder))
        return;
    if (CounterpartPath(folder, other, sizeof(other)) &&
        (IsProtectedFolder(other) || !FolderIsEmpty(other)))
        return;
    char command[PROGMAN_COMMAND_SIZE];
    if (ComposeDeleteGroupCommand(command, sizeof(command), group) > 0)
        Execute(link, command);
}

void DeleteThroughProgman(const LogValueList *shortcuts)
{
    ProgmanLink link;
    if (ConnectProgman(&link)) {
        char command[PROGMAN_COMMAND_SIZE];
        for (int i = 0; i < shortcuts->count; i++) {
            const char *path = shortcuts->values[i];
            char group[PATH_SIZE];
            char title[PATH_SIZE];
            if (!SplitShortcutPath(path, group, sizeof(group), title,
                                   sizeof(title)))
                continue;
            char other[PATH_SIZE];
            bool exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
            if (!exists && CounterpartPath(path, other, sizeof(other)))
                exists = GetFileAttributesA(other) != INVALID_FILE_ATTRIBUTES;
            // Program Manager knows shortcuts by group and title only, so
            // one that is not where the log says is not asked for.
            if (exists && ComposeDeleteItemCommand(command, sizeof(command),
                                                   group, title) > 0)
                Execute(&link, command);
        }
        for (int i = 0; i < shortcuts->count; i++)
            if (IsShortcut(shortcuts->values[i]))
                DeleteEmptyGroup(&link, shortcuts->values[i]);
    }
    DisconnectProgman(&link);
}
