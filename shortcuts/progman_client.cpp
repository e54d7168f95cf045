#include "shortcuts/progman_client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/progman/progman_commands.h"
#include "core/script/script_entry.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "shortcuts/shortcut_files.h"

static const DdeFunctions kRealDde = {
    DdeInitializeA,  DdeCreateStringHandleA, DdeFreeStringHandle,
    DdeConnect,      DdeClientTransaction,   DdeGetLastError,
    DdeDisconnect,   DdeUninitialize,        WinExec,
};
static DdeFunctions g_dde = kRealDde;
static void *(*g_allocate)(size_t) = malloc;

// Four failed transactions in a conversation are resent; the fifth ends it.
static const unsigned kFailureLimit = 5;
static const char kWarningTitle[] = "INSTALL SYSTEM INFO.";
static const char kDebugTitle[] = "DEBUG information";

void SetDdeFunctions(const DdeFunctions *functions)
{
    g_dde = functions != NULL ? *functions : kRealDde;
}

const DdeFunctions &RealDdeFunctions()
{
    return kRealDde;
}

void SetShortcutAllocator(void *(*allocate)(size_t))
{
    g_allocate = allocate != NULL ? allocate : malloc;
}

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA,
                              ULONG_PTR, ULONG_PTR)
{
    return 0;
}

// ---- The list ----

// One buffer or array, or NULL. Arrays are zeroed so that a list whose
// allocation stopped half-way can be freed.
static void *Allocate(size_t bytes)
{
    void *block = g_allocate(bytes);
    if (block != NULL)
        memset(block, 0, bytes);
    return block;
}

int AllocShortcutList(ShortcutList *list)
{
    list->groupName = NULL;
    list->titles = list->paths = list->arguments = NULL;
    int count = list->count > 0 ? list->count : 0;
    size_t arrayBytes = (size_t)(count > 0 ? count : 1) * sizeof(char *);

    if ((list->groupName = (char *)Allocate(PATH_SIZE)) == NULL ||
        (list->titles = (char **)Allocate(arrayBytes)) == NULL ||
        (list->paths = (char **)Allocate(arrayBytes)) == NULL ||
        (list->arguments = (char **)Allocate(arrayBytes)) == NULL) {
        FreeShortcutList(list);
        return 0;
    }
    for (int i = 0; i < count; i++) {
        if ((list->titles[i] = (char *)Allocate(PATH_SIZE)) == NULL ||
            (list->paths[i] = (char *)Allocate(PATH_SIZE)) == NULL ||
            (list->arguments[i] = (char *)Allocate(PATH_SIZE)) == NULL) {
            FreeShortcutList(list);
            return 0;
        }
    }
    return 1;
}

void FreeShortcutList(ShortcutList *list)
{
    for (int i = 0; i < list->count; i++) {
        if (list->titles != NULL)
            free(list->titles[i]);
        if (list->paths != NULL)
            free(list->paths[i]);
        if (list->arguments != NULL)
            free(list->arguments[i]);
    }
    free(list->groupName);
    free(list->titles);
    free(list->paths);
    free(list->arguments);
    list->groupName = NULL;
    list->titles = list->paths = list->arguments = NULL;
}

static void ReadShortcutValue(const char *section, int index, char *value,
                              size_t size)
{
    char key[LOG_KEY_SIZE];
    snprintf(key, sizeof(key), "Icon%03d", index);
    GetPrivateProfileStringA(section, key, "", value, (DWORD)size,
                             g_scriptPath);
}

// Entries are read with one byte more than an entry holds, which tells
// an entry that fills its buffer from a longer one that the read cuts.
static const size_t kShortcutReadSize = SHORTCUT_ENTRY_SIZE + 1;

static int CountShortcutEntries(const char *section)
{
    char value[kShortcutReadSize];
    for (int index = 0; index < MAX_SCRIPT_ENTRIES; index++) {
        ReadShortcutValue(section, index, value, sizeof(value));
        if (value[0] == '\0')
            return index;
    }
    return MAX_SCRIPT_ENTRIES;
}

// Fills entry i of the list from its script value. An entry that cannot
// be registered as written (no file field, a field or a joined path that
// does not fit, a value longer than an entry holds) is left with an empty
// title, and the conversation skips it.
static void FillShortcutEntry(ShortcutList *list, int i, const char *value)
{
    ShortcutEntry entry;
    SplitShortcutEntry(value, &entry);
    if (entry.fieldCount < 2 || entry.tooLong ||
        strlen(value) > SHORTCUT_ENTRY_SIZE - 1)
        return;

    char path[PATH_SIZE];
    if (entry.fieldCount >= 3)
        ExpandFolderMacros(path, sizeof(path), entry.folder, g_allUsers);
    else
        CopyText(path, sizeof(path), g_destinationFolder);
    if (AppendPath(path, sizeof(path), entry.file) < 0)
        return;   // a shortcut to the folder instead of the file is wrong
    CopyText(list->titles[i], PATH_SIZE, entry.title);
    CopyText(list->paths[i], PATH_SIZE, path);
    CopyText(list->arguments[i], PATH_SIZE, entry.arguments);
}

// Notes the entries of the list that no AddItem command can carry; the
// conversation leaves them out.
static void NoteUncarriedEntries(const ShortcutList *list,
                                 ShortcutSkips *skips)
{
    char command[PROGMAN_COMMAND_SIZE];
    for (int i = 0; i < list->count; i++)
        if (list->titles[i][0] != '\0' &&
            ComposeAddItemCommand(command, sizeof(command), list->paths[i],
                                  list->arguments[i], list->titles[i]) < 0)
            NoteSkippedShortcut(skips, list->titles[i]);
}

int RegisterShortcutSection(const char *section, const char *groupName,
                            ShortcutSkips *skips)
{
    ShortcutList list;
    list.count = CountShortcutEntries(section);
    if (!AllocShortcutList(&list))
        return 0;
    CopyText(list.groupName, PATH_SIZE, groupName);
    char value[kShortcutReadSize];
    for (int i = 0; i < list.count; i++) {
        ReadShortcutValue(section, i, value, sizeof(value));
        FillShortcutEntry(&list, i, value);
    }
    NoteUncarriedEntries(&list, skips);
    if (g_unattended)
        WriteShortcutFiles(&list, g_allUsers);
    else
        SendProgmanCommands(g_backgroundWindow, &list,
                            g_allUsers != 0 ? 1 : 0);
    FreeShortcutList(&list);
    return 1;
}

// ---- The conversation ----

struct Conversation {
    HWND owner;
    DWORD instance;
    HSZ serviceHandles[2];     // "PROGMAN", and again after starting it
    int handleCount;
    HCONV conversation;
    unsigned failures;         // one count for every transaction
    bool started;              // Program Manager was started here
    char command[PROGMAN_COMMAND_SIZE];
    char diagnostic[DDE_DIAGNOSTIC_SIZE];
};

static void RecordError(Conversation *c)
{
    DdeErrorText(c->diagnostic, sizeof(c->diagnostic),
                 g_dde.getLastError(c->instance));
}

// A box with a person there; otherwise a report line.
static void ShowShortcutMessage(HWND owner, const char *text,
                                const char *title, UINT style,
                                const char *command)
{
    if (g_unattended)
        ReportProgmanMessage(text, title, (style & MB_ICONWARNING) != 0,
                             command);
    else
        MessageBoxA(owner, text, title, style);
}

static void ShowWarning(Conversation *c, int code)
{
    char text[128];
    snprintf(text, sizeof(text),
             "Failed in icon registration.\nPlease create shortcut "
             "icon(s).  (code=%d)",
             code);
    ShowShortcutMessage(c->owner, text, kWarningTitle, MB_ICONWARNING, NULL);
}

static void ShowDiagnostic(Conversation *c, const char *title)
{
    ShowShortcutMessage(c->owner, c->diagnostic, title, MB_OK, c->command);
}

static HCONV Connect(Conversation *c)
{
    HSZ service = g_dde.createStringHandle(c->instance, "PROGMAN",
                                           CP_WINANSI);
    if (c->handleCount < 2)
        c->serviceHandles[c->handleCount++] = service;
    return g_dde.connect(c->instance, service, service, NULL);
}

static bool Transact(Conversation *c)
{
    DWORD length = (DWORD)strlen(c->command) + 1;
    return g_dde.clientTransaction((BYTE *)c->command, length,
                                   c->conversation, NULL, CF_TEXT,
                                   XTYP_EXECUTE, 1000, NULL) != 0;
}

// Sends the composed command, resending at once while it fails. Returns
// false when a failure brought the count to the limit.
static bool SendCommand(Conversation *c)
{
    while (!Transact(c)) {
        c->failures++;
        RecordError(c);
        if (c->failures >= kFailureLimit)
            return false;
    }
    return true;
}

static bool OpenConversation(Conversation *c)
{
    c->conversation = Connect(c);
    if (c->conversation != NULL)
        return true;
    RecordError(c);
    g_dde.startProgram("PROGMAN.EXE", SW_SHOW);
    c->started = true;
    c->conversation = Connect(c);
    if (c->conversation != NULL)
        return true;
    RecordError(c);
    ShowDiagnostic(c, kDebugTitle);
    ShowWarning(c, 2);
    return false;
}

static bool CreateGroup(Conversation *c, const ShortcutList *list,
                        int commonGroup)
{
    if (ComposeCreateGroupCommand(c->command, sizeof(c->command),
                                  list->groupName, commonGroup) < 0) {
        // A group name too long for a command: no group can be made.
        ShowWarning(c, 3);
        return false;
    }
    if (SendCommand(c))
        return true;
    ShowDiagnostic(c, c->command);
    ShowWarning(c, 3);
    return false;
}

static bool AddItems(Conversation *c, const ShortcutList *list)
{
    for (int i = 0; i < list->count; i++) {
        if (list->titles[i][0] == '\0')
            continue;   // an entry that cannot be registered as written
        if (ComposeAddItemCommand(c->command, sizeof(c->command),
                                  list->paths[i], list->arguments[i],
                                  list->titles[i]) < 0)
            continue;   // a cut command would make a wrong item
        if (!SendCommand(c)) {
            ShowDiagnostic(c, kDebugTitle);
            ShowWarning(c, 4);
            return false;
        }
    }
    return true;
}

static void CloseStartedProgman(Conversation *c)
{
    if (!c->started)
        return;
    ComposeExitCommand(c->command, sizeof(c->command));
    if (!SendCommand(c))
        ShowDiagnostic(c, c->command);
}

static int Disconnect(Conversation *c)
{
    BOOL ok = g_dde.disconnect(c->conversation);
    c->conversation = NULL;
    if (ok)
        return 1;
    RecordError(c);
    char title[PROGMAN_COMMAND_SIZE];
    FormatDisconnectTitle(title, sizeof(title), c->failures + 1);
    ShowDiagnostic(c, title);
    return 0;
}

// Whatever way the conversation ended: an open conversation is closed and
// the string handles and the DDEML instance are released.
static void ReleaseConversation(Conversation *c)
{
    if (c->conversation != NULL)
        g_dde.disconnect(c->conversation);
    for (int i = 0; i < c->handleCount; i++) {
        if (c->serviceHandles[i] != NULL)
            g_dde.freeStringHandle(c->instance, c->serviceHandles[i]);
    }
    g_dde.uninitialize(c->instance);
}

int SendProgmanCommands(HWND owner, const ShortcutList *list,
                        int commonGroup)
{
    Conversation c;
    memset(&c, 0, sizeof(c));
    c.owner = owner;
    UINT result = g_dde.initialize(&c.instance, DdeCallback,
                                   APPCMD_CLIENTONLY, 0);
    if (result != DMLERR_NO_ERROR || c.instance == 0) {
        RecordError(&c);
        ShowWarning(&c, 1);
        if (c.instance != 0)
            g_dde.uninitialize(c.instance);
        return 0;
    }

    int done = 0;
    if (OpenConversation(&c) && CreateGroup(&c, list, commonGroup) &&
        AddItems(&c, list)) {
        CloseStartedProgman(&c);
        done = Disconnect(&c);
    }
    ReleaseConversation(&c);
    return done;
}
