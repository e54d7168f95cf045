#include "shortcuts/shortcut_files.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "core/log/log_reader.h"
#include "core/script/shortcut_rule.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "shortcuts/shortcut_list.h"
#include "transaction/journal_writer.h"
#include "transaction/transaction.h"

// ---- COM, loaded at run time: OLE32.DLL is not among the imports known
// on both Windows 95 and NT 4.0 (scripts/win9x-imports.txt), and only the
// unattended run needs it. Loaded once per run, not once per section ----

typedef HRESULT(WINAPI *CoInitializeCall)(LPVOID);
typedef void(WINAPI *CoUninitializeCall)(void);
typedef HRESULT(WINAPI *CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD,
                                              REFIID, LPVOID *);
typedef HRESULT(WINAPI *CreateStreamCall)(HGLOBAL, BOOL, LPSTREAM *);
typedef HRESULT(WINAPI *GetStreamMemoryCall)(LPSTREAM, HGLOBAL *);
typedef void(WINAPI *ChangeNotifyCall)(LONG, UINT, LPCVOID, LPCVOID);

struct ShellLinkMaker {
    bool tried;         // opened (or failed to) in this run
    bool usable;
    HMODULE ole32;
    CoUninitializeCall uninitialize;
    CoCreateInstanceCall createInstance;
    CreateStreamCall createStream;
    GetStreamMemoryCall getStreamMemory;
    bool initialized;   // CoUninitialize is owed
};

static ShellLinkMaker s_maker;

static FARPROC FindOle32Call(const char *name)
{
    return GetProcAddress(s_maker.ole32, name);
}

static bool OpenShellLinkMaker()
{
    ShellLinkMaker *maker = &s_maker;
    maker->ole32 = LoadLibraryA("OLE32.DLL");
    if (maker->ole32 == NULL)
        return false;
    CoInitializeCall initialize =
        (CoInitializeCall)(void *)FindOle32Call("CoInitialize");
    maker->uninitialize =
        (CoUninitializeCall)(void *)FindOle32Call("CoUninitialize");
    maker->createInstance =
        (CoCreateInstanceCall)(void *)FindOle32Call("CoCreateInstance");
    maker->createStream =
        (CreateStreamCall)(void *)FindOle32Call("CreateStreamOnHGlobal");
    maker->getStreamMemory =
        (GetStreamMemoryCall)(void *)FindOle32Call("GetHGlobalFromStream");
    if (initialize == NULL || maker->uninitialize == NULL ||
        maker->createInstance == NULL || maker->createStream == NULL ||
        maker->getStreamMemory == NULL)
        return false;
    // S_FALSE: already initialised on this thread, and still owed a call.
    HRESULT result = initialize(NULL);
    maker->initialized = SUCCEEDED(result);
    return maker->initialized || result == RPC_E_CHANGED_MODE;
}

static const ShellLinkMaker *UseShellLinkMaker()
{
    if (!s_maker.tried) {
        s_maker.tried = true;
        s_maker.usable = OpenShellLinkMaker();
    }
    return s_maker.usable ? &s_maker : NULL;
}

void EndShortcutFiles()
{
    if (s_maker.initialized)
        s_maker.uninitialize();
    if (s_maker.ole32 != NULL)
        FreeLibrary(s_maker.ole32);
    memset(&s_maker, 0, sizeof(s_maker));
}

// Writes bytes as the whole file path, in one write.
static HRESULT WriteWholeFile(const char *path, const void *bytes,
                              DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    BOOL wrote = WriteFile(file, bytes, size, &written, NULL);
    DWORD error = wrote ? 0 : GetLastError();
    CloseHandle(file);
    if (wrote && written == size)
        return S_OK;
    DeleteFileA(path);   // a cut link is no link
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// What the stream holds, from its start to its position, written as the
// whole file link.
static HRESULT WriteStreamBytes(const ShellLinkMaker *maker, IStream *stream,
                                const char *link)
{
    HGLOBAL memory = NULL;
    ULARGE_INTEGER end = {};
    LARGE_INTEGER none = {};
    HRESULT result = maker->getStreamMemory(stream, &memory);
    if (SUCCEEDED(result))
        result = stream->Seek(none, STREAM_SEEK_CUR, &end);
    if (FAILED(result))
        return result;
    void *bytes = end.HighPart == 0 ? GlobalLock(memory) : NULL;
    if (bytes == NULL)
        return E_OUTOFMEMORY;
    result = WriteWholeFile(link, bytes, end.LowPart);
    GlobalUnlock(memory);
    return result;
}

// The link's bytes as IPersistFile::Save would write them, written here:
// under Wine that Save starts a helper program for every link, which made
// most of an unattended run's time.
static HRESULT SaveLinkStream(const ShellLinkMaker *maker,
                              IShellLinkA *shellLink, const char *link)
{
    IPersistStream *persist = NULL;
    HRESULT result =
        shellLink->QueryInterface(IID_IPersistStream, (void **)&persist);
    if (FAILED(result))
        return result;
    IStream *stream = NULL;
    result = maker->createStream(NULL, TRUE, &stream);
    if (SUCCEEDED(result))
        result = persist->Save(stream, TRUE);
    persist->Release();
    if (SUCCEEDED(result))
        result = WriteStreamBytes(maker, stream, link);
    if (stream != NULL)
        stream->Release();
    return result;
}

// Writes one link file. Returns S_OK or the failing call's result.
static HRESULT SaveLink(const ShellLinkMaker *maker, const char *link,
                        const char *target, const char *arguments)
{
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
    if (SUCCEEDED(result))
        result = SaveLinkStream(maker, shellLink, link);
    shellLink->Release();
    return result;
}

// The shell learns of the new links once per folder, as the link object's
// own save would tell it of each (the Start menu then shows them).
static void NotifyShell(const char *folder)
{
    HMODULE shell = GetModuleHandleA("SHELL32.DLL");
    ChangeNotifyCall notify =
        shell != NULL
            ? (ChangeNotifyCall)(void *)GetProcAddress(shell, "SHChangeNotify")
            : NULL;
    if (notify != NULL)
        notify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder, NULL);
}

// ---- The section ----

// The shortcut rule judged every entry as the list was read: one it does
// not make has an empty title, in either kind of run.
static bool IsMadeEntry(const ShortcutList *list, int i)
{
    return list->titles[i][0] != '\0';
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

static bool MakeLink(const ShellLinkMaker *maker, const char *folder,
                     const ShortcutList *list, int i)
{
    const char *title = list->titles[i];
    char link[PATH_SIZE];
    // Judged with this folder by the rule already: it fits.
    if (!FormLinkPath(folder, title, link, sizeof(link))) {
        ReportShortcutNotMade(title, "the link's name does not fit a path");
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

// Journals every link of the section that is made (no flush). Here, and
// not with the uninstall log's record, in an unattended run: these are
// the files made, in the folder they are made in.
static void JournalLinks(const char *folder, const ShortcutList *list)
{
    char link[PATH_SIZE];
    for (int i = 0; i < list->count; i++)
        if (IsMadeEntry(list, i) &&
            FormLinkPath(folder, list->titles[i], link, sizeof(link)))
            JournalShortcutFile(link);
}

// Program Manager makes the group even when no item follows. A folder no
// rollback may remove ("..", a trailing dot) is not made. The folder and
// the section's links are journaled with one flush before any is made:
// the rollback of a run killed after any save still finds the file.
// Returns NULL when the folder is there, else why not.
static const char *MakeGroupFolder(const char *folder,
                                   const ShortcutList *list)
{
    if (!IsRemovablePath(folder))
        return "the group folder cannot be made";
    JournalNewFolders(folder);
    JournalLinks(folder, list);
    if (!FlushJournal())
        return "the journal cannot be written";
    CreateFolderPath(folder);
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY)
               ? NULL
               : "the group folder cannot be made";
}

// Every entry that would have been made is reported with reason; with
// none, the group, as a failed CreateGroup is in the interactive run.
static int ReportNoneMade(const ShortcutList *list, const char *reason)
{
    int count = 0;
    for (int i = 0; i < list->count; i++)
        if (IsMadeEntry(list, i)) {
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
    if (!FormGroupFolder(list->groupName, allUsers, folder, sizeof(folder)))
        return ReportNoneMade(list, "the group folder cannot be made");
    const char *notMade = MakeGroupFolder(folder, list);
    if (notMade != NULL)
        return ReportNoneMade(list, notMade);
    const ShellLinkMaker *maker = UseShellLinkMaker();
    if (maker == NULL)
        return ReportNoneMade(list,
                              "the shell's link object cannot be loaded");
    int failed = 0;
    for (int i = 0; i < list->count; i++)
        if (IsMadeEntry(list, i) && !MakeLink(maker, folder, list, i))
            failed++;
    NotifyShell(folder);
    return failed;
}
