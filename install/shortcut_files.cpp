#include "install/shortcut_files.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "common/folders.h"
#include "core/progman/progman_commands.h"
#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "install/install_report.h"
#include "install/journal_writer.h"
#include "install/progman_client.h"
#include "install/transaction.h"

bool FormGroupFolder(const char *group, int allUsers, char *folder,
                     size_t size)
{
    if (GetShellFolder(folder, size, NULL, NULL, allUsers) > 0 &&
        AppendPath(folder, size, group) >= 0)
        return true;
    if (size > 0)
        folder[0] = '\0';
    return false;
}

// The same join as the uninstall log's record of the shortcut files, so
// the file made is the file the log and the journal name.
bool FormLinkPath(const char *folder, const char *title, char *link,
                  size_t size)
{
    if (size == 0)
        return false;
    CopyText(link, size, folder);
    if (strlen(folder) >= size || AppendPath(link, size, title) < 0) {
        link[0] = '\0';
        return false;
    }
    size_t length = strlen(link);
    if (length + sizeof(".lnk") > size) {
        link[0] = '\0';
        return false;
    }
    CopyText(link + length, size - length, ".lnk");
    return true;
}

// ---- COM, loaded at run time: OLE32.DLL is not among the imports known
// on both Windows 95 and NT 4.0 (scripts/win9x-imports.txt), and only the
// unattended run needs it ----

typedef HRESULT(WINAPI *CoInitializeCall)(LPVOID);
typedef void(WINAPI *CoUninitializeCall)(void);
typedef HRESULT(WINAPI *CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD,
                                              REFIID, LPVOID *);

struct ShellLinkMaker {
    HMODULE ole32;
    CoUninitializeCall uninitialize;
    CoCreateInstanceCall createInstance;
    bool initialized;   // CoUninitialize is owed
};

static bool OpenShellLinkMaker(ShellLinkMaker *maker)
{
    memset(maker, 0, sizeof(*maker));
    maker->ole32 = LoadLibraryA("OLE32.DLL");
    if (maker->ole32 == NULL)
        return false;
    CoInitializeCall initialize =
        (CoInitializeCall)(void *)GetProcAddress(maker->ole32, "CoInitialize");
    maker->uninitialize = (CoUninitializeCall)(void *)GetProcAddress(
        maker->ole32, "CoUninitialize");
    maker->createInstance = (CoCreateInstanceCall)(void *)GetProcAddress(
        maker->ole32, "CoCreateInstance");
    if (initialize == NULL || maker->uninitialize == NULL ||
        maker->createInstance == NULL)
        return false;
    // S_FALSE: already initialised on this thread, and still owed a call.
    HRESULT result = initialize(NULL);
    maker->initialized = SUCCEEDED(result);
    return maker->initialized || result == RPC_E_CHANGED_MODE;
}

static void CloseShellLinkMaker(ShellLinkMaker *maker)
{
    if (maker->initialized)
        maker->uninitialize();
    if (maker->ole32 != NULL)
        FreeLibrary(maker->ole32);
    memset(maker, 0, sizeof(*maker));
}

// Writes one link file. Returns S_OK or the failing call's result.
static HRESULT SaveLink(const ShellLinkMaker *maker, const char *link,
                        const char *target, const char *arguments)
{
    WCHAR wideLink[PATH_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink,
                            sizeof(wideLink) / sizeof(wideLink[0])) == 0)
        return E_INVALIDARG;
    IShellLinkA *shellLink = NULL;
    HRESULT result =
        maker->createInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkA, (void **)&shellLink);
    if (FAILED(result))
        return result;
    // What Program Manager's AddItem gives a link made from a command line
    // and a title: the target and its arguments; the title is the name.
    result = shellLink->SetPath(target);
    if (SUCCEEDED(result))
        result = shellLink->SetArguments(arguments);
    IPersistFile *file = NULL;
    if (SUCCEEDED(result))
        result = shellLink->QueryInterface(IID_IPersistFile, (void **)&file);
    if (SUCCEEDED(result)) {
        result = file->Save(wideLink, TRUE);
        file->Release();
    }
    shellLink->Release();
    return result;
}

// ---- The section ----

// The conversation's rule: an entry no AddItem command can carry is not
// made in either kind of run, so both install the same shortcuts.
static bool IsCarriedEntry(const ShortcutList *list, int i)
{
    char command[PROGMAN_COMMAND_SIZE];
    return list->titles[i][0] != '\0' &&
           ComposeAddItemCommand(command, sizeof(command), list->paths[i],
                                 list->arguments[i], list->titles[i]) >= 0;
}

static void ReportSaveFailure(const char *title, HRESULT result)
{
    char reason[256];
    GetErrorText((DWORD)result, reason, sizeof(reason));
    char text[sizeof(reason) + 32];
    snprintf(text, sizeof(text), "error 0x%08lX: %s", (unsigned long)result,
             reason);
    ReportShortcutNotMade(title, text);
}

// Journaled first: the rollback of a run killed right after the save
// still finds the file.
static bool MakeLink(const ShellLinkMaker *maker, const char *folder,
                     const ShortcutList *list, int i)
{
    const char *title = list->titles[i];
    char link[PATH_SIZE];
    if (!FormLinkPath(folder, title, link, sizeof(link))) {
        ReportShortcutNotMade(title, "the link's name does not fit a path");
        return false;
    }
    // A title such as "..\x" would lead out of the group, to a file no
    // rollback or uninstall may remove.
    if (!IsRemovablePath(link)) {
        ReportShortcutNotMade(title, "the title leads out of the group");
        return false;
    }
    JournalShortcutFile(link);
    if (!FlushJournal()) {
        ReportShortcutNotMade(title, "the journal cannot be written");
        return false;
    }
    HRESULT result = SaveLink(maker, link, list->paths[i], list->arguments[i]);
    if (FAILED(result)) {
        ReportSaveFailure(title, result);
        return false;
    }
    ReportLine("shortcut: %s", link);
    return true;
}

// Program Manager makes the group even when no item follows. A folder no
// rollback may remove ("..", a trailing dot) is not made.
static bool MakeGroupFolder(const char *folder)
{
    if (!IsRemovablePath(folder))
        return false;
    JournalNewFolders(folder);
    if (!FlushJournal())
        return false;
    CreateFolderPath(folder);
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every entry that would have been made is reported with reason; with
// none, the group, as a failed CreateGroup is in the interactive run.
static int ReportNoneMade(const ShortcutList *list, const char *reason)
{
    int count = 0;
    for (int i = 0; i < list->count; i++)
        if (IsCarriedEntry(list, i)) {
            ReportShortcutNotMade(list->titles[i], reason);
            count++;
        }
    if (count == 0)
        ReportShortcutNotMade(list->groupName, reason);
    return count > 0 ? count : 1;
}

int WriteShortcutFiles(const ShortcutList *list, int allUsers)
{
    char folder[PATH_SIZE];
    if (!FormGroupFolder(list->groupName, allUsers, folder, sizeof(folder)) ||
        !MakeGroupFolder(folder))
        return ReportNoneMade(list, "the group folder cannot be made");
    ShellLinkMaker maker;
    if (!OpenShellLinkMaker(&maker)) {
        CloseShellLinkMaker(&maker);
        return ReportNoneMade(list,
                              "the shell's link object cannot be loaded");
    }
    int failed = 0;
    for (int i = 0; i < list->count; i++)
        if (IsCarriedEntry(list, i) && !MakeLink(&maker, folder, list, i))
            failed++;
    CloseShellLinkMaker(&maker);
    return failed;
}
