// Start-menu shortcuts through Program Manager: one shortcut section of the
// install script becomes a program group with its items, sent as DDE
// execute commands to the service and topic "PROGMAN".
#pragma once

#include <windows.h>
#include <ddeml.h>
#include <stddef.h>

#include "core/progman/progman_commands.h"

// One section's shortcuts; every text buffer holds PATH_SIZE bytes.
struct ShortcutList {
    int count;
    char *groupName;
    char **titles;
    char **paths;        // command path: folder joined with the file
    char **arguments;
};

// The DDEML calls, and the start of Program Manager, as the conversation
// makes them. The defaults are the real calls; tests put in their own to
// script failures the real Program Manager cannot be made to produce.
struct DdeFunctions {
    decltype(&DdeInitializeA) initialize;
    decltype(&DdeCreateStringHandleA) createStringHandle;
    decltype(&DdeFreeStringHandle) freeStringHandle;
    decltype(&DdeConnect) connect;
    decltype(&DdeClientTransaction) clientTransaction;
    decltype(&DdeGetLastError) getLastError;
    decltype(&DdeDisconnect) disconnect;
    decltype(&DdeUninitialize) uninitialize;
    decltype(&WinExec) startProgram;
};

// Replaces the calls (NULL restores the real ones). Tests only.
void SetDdeFunctions(const DdeFunctions *functions);
// The real calls, for a test that wants to wrap some of them.
const DdeFunctions &RealDdeFunctions();

// Tests only: replaces malloc for the list's buffers (NULL restores it).
void SetShortcutAllocator(void *(*allocate)(size_t));

// Reads the section's "Icon%03d" entries (title;file;folder;arguments, up
// to the first missing or empty one) into a list and sends it to Program
// Manager as the group groupName. Returns 1 once the conversation was
// attempted, whatever its outcome (failures are shown to the user), or 0
// when the list cannot be allocated (nothing is sent). Entries that no
// command can carry are left out and noted in skips (may be NULL).
int RegisterShortcutSection(const char *section, const char *groupName,
                            ShortcutSkips *skips = NULL);

// The conversation: creates and shows the group, adds every entry, closes
// Program Manager when it had to be started. Message boxes are owned by
// owner. Returns 1 when it ended with a successful disconnect, else 0.
int SendProgmanCommands(HWND owner, const ShortcutList *list,
                        int commonGroup);

// Allocates the group-name buffer, the three arrays and every entry's
// three buffers for list->count entries. Returns 1, or 0 when one
// allocation fails (what was allocated is then released).
int AllocShortcutList(ShortcutList *list);
// Releases what AllocShortcutList allocated; safe on a partial list.
void FreeShortcutList(ShortcutList *list);

// Copies the text for a DDEML error code into text (size bytes). Unknown
// codes, DMLERR_NO_ERROR included, leave text as it was.
void DdeErrorText(char *text, size_t size, UINT code);

// The title of the box shown when only the disconnect failed.
void FormatDisconnectTitle(char *title, size_t size, unsigned errorCount);

HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV conversation,
                              HSZ topic, HSZ item, HDDEDATA data,
                              ULONG_PTR data1, ULONG_PTR data2);
