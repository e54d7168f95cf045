#include "shortcuts/progman_client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/progman/progman_commands.h"
#include "core/script/shortcut_rule.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "shortcuts/shortcut_files.h"
#include "shortcuts/shortcut_list.h"

static const DdeFunctions kRealDde = {
    DdeInitializeA,  DdeCreateStringHandleA, DdeFreeStringHandle,
    DdeConnect,      DdeClientTransaction,   DdeGetLastError,
    DdeDisconnect,   DdeUninitialize,        WinExec,
};
static DdeFunctions g_dde = kRealDde;

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

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA,
                              ULONG_PTR, ULONG_PTR)
{
    return 0;
}

// ---- The list ----

// An entry's name: its title, or its key when it has none.
static void FormEntryName(const char *section, int index,
                          const ResolvedShortcut *shortcut, char *name,
                          size_t size)
{
    if (shortcut->title[0] != '\0')
        CopyText(name, size, shortcut->title);
    else
        snprintf(name, size, "[%s] Icon%03d", section, index);
}

// An entry the shortcut rule does not make is named to the person there
// (the skipped list behind the run's box), or, in an unattended run, in the
// report with its reason; one no command can carry is always a skip.
static void NoteNotMade(const char *section, int index,
                        ShortcutVerdict verdict,
                        const ResolvedShortcut *shortcut,
                        ShortcutSkips *skips)
{
    char name[PATH_SIZE];
    FormEntryName(section, index, shortcut, name, sizeof(name));
    if (verdict == SHORTCUT_NOT_CARRIED || !g_unattended)
        NoteSkippedShortcut(skips, name);
    else
        ReportShortcutNotMade(name, DescribeShortcutVerdict(
                                        verdict, shortcut->linkVerdict));
}

// Entry i of the list from the script, by the shortcut rule; an entry the
// rule does not make keeps an empty title, which both runs leave out.
static void FillShortcutEntry(ShortcutList *list, int i, const char *section,
                              const char *linkFolder, ShortcutSkips *skips)
{
    static ResolvedShortcut shortcut;   // a kilobyte: kept off the stack
    ShortcutVerdict verdict =
        ReadShortcut(g_scriptPath, section, i, g_destinationFolder,
                     linkFolder, g_allUsers, &shortcut);
    if (verdict != SHORTCUT_MADE) {
        NoteNotMade(section, i, verdict, &shortcut, skips);
        return;
    }
    CopyText(list->titles[i], PATH_SIZE, shortcut.title);
    CopyText(list->paths[i], PATH_SIZE, shortcut.target);
    CopyText(list->arguments[i], PATH_SIZE, shortcut.arguments);
}

int RegisterShortcutSection(const char *section, const char *groupName,
                            ShortcutSkips *skips)
{
    ShortcutList list;
    list.count = CountShortcutEntries(g_scriptPath, section);
    if (!AllocShortcutList(&list))
        return 0;
    CopyText(list.groupName, PATH_SIZE, groupName);
    // The links are judged where they land: the group's folder.
    char folder[PATH_SIZE];
    bool known = FormGroupFolder(groupName, g_allUsers, folder,
                                 sizeof(folder));
    for (int i = 0; i < list.count; i++)
        FillShortcutEntry(&list, i, section, known ? folder : NULL, skips);
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
            continue;   // an entry the shortcut rule does not make
        if (ComposeAddItemCommand(c->command, sizeof(c->command),
                                  list->paths[i], list->arguments[i],
                                  list->titles[i]) < 0)
            continue;   // the rule made sure it fits; never sent cut
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
