#include "removal/progman_remove.h"

#include <windows.h>
#include <ddeml.h>
#include <string.h>

#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "removal/file_remove.h"

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

// Splits a shortcut under the per-user or the common Programs folder into
// its group and title (groupSize and titleSize bytes). One under neither
// is no Program Manager item: it is removed as a file only.
static bool SplitProgramsShortcut(const char *path, char *group,
                                  size_t groupSize, char *title,
                                  size_t titleSize)
{
    for (int common = 0; common < 2; common++) {
        char programs[PATH_SIZE];
        if (ReadProgramsFolder(common != 0, programs, sizeof(programs)) &&
            SplitShortcutPath(path, programs, group, groupSize, title,
                              titleSize))
            return true;
    }
    return false;
}

// DeleteGroup removes the group's folder with everything in it, so it is
// sent only when the folder exists and is empty under both Programs
// folders, and never for a folder of the shell's own such as Startup.
static void DeleteEmptyGroup(ProgmanLink *link, const char *group)
{
    bool found = false;
    for (int common = 0; common < 2; common++) {
        char folder[PATH_SIZE];
        char name[PATH_SIZE];
        if (!ReadProgramsFolder(common != 0, folder, sizeof(folder)) ||
            AppendPath(folder, sizeof(folder), group) < 0)
            return;
        if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (IsProtectedFolder(folder) ||
            FirstEntryOf(folder, name, sizeof(name)))
            return;
        found = true;
    }
    char command[PROGMAN_COMMAND_SIZE];
    if (found && ComposeDeleteGroupCommand(command, sizeof(command), group) > 0)
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
            if (!SplitProgramsShortcut(path, group, sizeof(group), title,
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
        for (int i = 0; i < shortcuts->count; i++) {
            char group[PATH_SIZE];
            char title[PATH_SIZE];
            if (SplitProgramsShortcut(shortcuts->values[i], group,
                                      sizeof(group), title, sizeof(title)))
                DeleteEmptyGroup(&link, group);
        }
    }
    DisconnectProgman(&link);
}
