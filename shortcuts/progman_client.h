// Start-menu shortcuts through Program Manager: one shortcut section of the
// install script becomes a program group with its items, sent as DDE
// execute commands to the service and topic "PROGMAN".
#pragma once

#include <windows.h>
#include <ddeml.h>
#include <stddef.h>

#include "core/progman/progman_commands.h"
#include "shortcuts/shortcut_list.h"

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

// Reads the section's "Icon%03d" entries (title;file;folder;arguments, up
// to the first missing or empty one) into a list and sends it to Program
// Manager as the group groupName (an unattended run writes the links
// itself, shortcuts/shortcut_files.h). Returns 1 once the conversation was
// attempted, whatever its outcome (failures are shown to the user), or 0
// when the list cannot be allocated (nothing is sent). Entries the
// shortcut rule (core/script/shortcut_rule.h) does not make are left out
// and named: noted in skips (may be NULL) with a person there, and those
// no command can carry; the others in the report of an unattended run.
int RegisterShortcutSection(const char *section, const char *groupName,
                            ShortcutSkips *skips = NULL);

// The conversation: creates and shows the group, adds every entry, closes
// Program Manager when it had to be started. Message boxes are owned by
// owner. Returns 1 when it ended with a successful disconnect, else 0.
int SendProgmanCommands(HWND owner, const ShortcutList *list,
                        int commonGroup);

// Copies the text for a DDEML error code into text (size bytes). Unknown
// codes, DMLERR_NO_ERROR included, leave text as it was.
void DdeErrorText(char *text, size_t size, UINT code);

// The title of the box shown when only the disconnect failed.
void FormatDisconnectTitle(char *title, size_t size, unsigned errorCount);

HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV conversation,
                              HSZ topic, HSZ item, HDDEDATA data,
                              ULONG_PTR data1, ULONG_PTR data2);
