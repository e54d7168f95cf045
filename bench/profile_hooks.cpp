// The profiling build of the engine-only program (bench_profile.exe): the
// same program, with the platform calls that an install run makes timed
// where the program calls them. At start-up the program's own import table
// is pointed at timing wrappers; at exit the totals per kind of call are
// written to the file named by the environment variable BENCH_PROFILE.
//
// Profile strings are told apart by file: the install script
// (copy_ns.ini) or the uninstall log (anything else).
#include <windows.h>
#include <ddeml.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/text/ascii_case.h"

namespace {

enum Category {
    LOG_READ, LOG_WRITE, SCRIPT_READ, COPY_FILE, FILE_ATTRIBUTES,
    FOLDERS, REGISTRY, DDE_CONNECT, DDE_GROUP, DDE_ITEM, DDE_OTHER,
    PROGRESS_UI, FILE_DATA, RENAMES, FLUSHES, SEARCHES, LIBRARIES, COM,
    CATEGORY_COUNT
};

const char *const kCategoryNames[CATEGORY_COUNT] = {
    "log reads (GetPrivateProfile* on the uninstall log)",
    "log writes (WritePrivateProfileString/SectionA)",
    "script reads (GetPrivateProfile* on copy_ns.ini)",
    "CopyFileA",
    "SetFileAttributesA",
    "folders (CreateDirectoryA, GetFileAttributesA)",
    "registry (Reg*)",
    "DDE connect (DdeConnect)",
    "DDE group commands (CreateGroup and ShowGroup)",
    "DDE other commands (AddItem, ExitProgman)",
    "DDE set-up and end (DdeInitialize, ...)",
    "progress (SendMessageA, SetWindowTextA)",
    "file data (CreateFile, Read/WriteFile, close, times)",
    "renames and deletes (MoveFileA/ExA, DeleteFileA)",
    "flushes to disk (FlushFileBuffers)",
    "folder searches (FindFirstFileA)",
    "library loads (LoadLibraryA, FreeLibrary)",
    "COM (CoInitialize, CoCreateInstance, CoUninitialize)",
};

struct Tally {
    LONGLONG ticks;
    long calls;
};

Tally g_tally[CATEGORY_COUNT];
LARGE_INTEGER g_frequency;
LARGE_INTEGER g_programStart;

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void Count(Category category, LONGLONG start)
{
    g_tally[category].ticks += Now() - start;
    g_tally[category].calls++;
}

// Calls the real function and counts its time under category.
template <typename Function, typename... Arguments>
auto Timed(Category category, Function function, Arguments... arguments)
{
    LONGLONG start = Now();
    auto result = function(arguments...);
    Count(category, start);
    return result;
}

Category ProfileCategory(const char *file, Category logCategory)
{
    if (file == NULL)
        return logCategory;
    const char *name = strrchr(file, '\\');
    name = name != NULL ? name + 1 : file;
    if (logCategory == LOG_READ &&
        CompareAsciiNoCase(name, "copy_ns.ini") == 0)
        return SCRIPT_READ;
    return logCategory;
}

// The real functions, taken before the import table is changed.
decltype(&GetPrivateProfileStringA) g_getString;
decltype(&GetPrivateProfileIntA) g_getInt;
decltype(&GetPrivateProfileSectionA) g_getSection;
decltype(&GetPrivateProfileSectionNamesA) g_getSectionNames;
decltype(&WritePrivateProfileStringA) g_writeString;
decltype(&WritePrivateProfileSectionA) g_writeSection;
decltype(&CopyFileA) g_copyFile;
decltype(&SetFileAttributesA) g_setAttributes;
decltype(&CreateDirectoryA) g_createDirectory;
decltype(&GetFileAttributesA) g_getAttributes;
decltype(&RegCreateKeyExA) g_regCreate;
decltype(&RegOpenKeyExA) g_regOpen;
decltype(&RegSetValueExA) g_regSet;
decltype(&RegQueryValueExA) g_regQuery;
decltype(&RegDeleteKeyA) g_regDelete;
decltype(&DdeConnect) g_ddeConnect;
decltype(&DdeClientTransaction) g_ddeTransaction;
decltype(&DdeDisconnect) g_ddeDisconnect;
decltype(&DdeInitializeA) g_ddeInitialize;
decltype(&DdeUninitialize) g_ddeUninitialize;
decltype(&WinExec) g_winExec;
decltype(&SendMessageA) g_sendMessage;
decltype(&SetWindowTextA) g_setWindowText;
decltype(&CreateFileA) g_createFile;
decltype(&ReadFile) g_readFile;
decltype(&WriteFile) g_writeFile;
decltype(&CloseHandle) g_closeHandle;
decltype(&SetFileTime) g_setFileTime;
decltype(&MoveFileA) g_moveFile;
decltype(&MoveFileExA) g_moveFileEx;
decltype(&DeleteFileA) g_deleteFile;
decltype(&FlushFileBuffers) g_flushFile;
decltype(&FindFirstFileA) g_findFirst;
decltype(&LoadLibraryA) g_loadLibrary;
decltype(&FreeLibrary) g_freeLibrary;
decltype(&GetProcAddress) g_getProcAddress;

// OLE32 is loaded at run time (the shell link of an unattended run), so
// its functions are timed through the addresses GetProcAddress gives.
typedef HRESULT(WINAPI *CoInitializeCall)(LPVOID);
typedef void(WINAPI *CoUninitializeCall)(void);
typedef HRESULT(WINAPI *CoCreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD,
                                              REFIID, LPVOID *);
CoInitializeCall g_coInitialize;
CoUninitializeCall g_coUninitialize;
CoCreateInstanceCall g_coCreateInstance;

DWORD WINAPI TimedGetString(LPCSTR section, LPCSTR key, LPCSTR fallback,
                            LPSTR value, DWORD size, LPCSTR file)
{
    return Timed(ProfileCategory(file, LOG_READ), g_getString, section, key,
                 fallback, value, size, file);
}

UINT WINAPI TimedGetInt(LPCSTR section, LPCSTR key, INT fallback,
                        LPCSTR file)
{
    return Timed(ProfileCategory(file, LOG_READ), g_getInt, section, key,
                 fallback, file);
}

DWORD WINAPI TimedGetSection(LPCSTR section, LPSTR value, DWORD size,
                             LPCSTR file)
{
    return Timed(ProfileCategory(file, LOG_READ), g_getSection, section, value,
                 size, file);
}

DWORD WINAPI TimedGetSectionNames(LPSTR names, DWORD size, LPCSTR file)
{
    return Timed(ProfileCategory(file, LOG_READ), g_getSectionNames, names,
                 size, file);
}

BOOL WINAPI TimedWriteSection(LPCSTR section, LPCSTR lines, LPCSTR file)
{
    return Timed(LOG_WRITE, g_writeSection, section, lines, file);
}

BOOL WINAPI TimedWriteString(LPCSTR section, LPCSTR key, LPCSTR value,
                             LPCSTR file)
{
    return Timed(LOG_WRITE, g_writeString, section, key, value, file);
}

// The copying as a whole: from the start of the first CopyFileA to the end
// of the last, with everything the file loops do in between.
LONGLONG g_firstCopyStart;
LONGLONG g_lastCopyEnd;

void MarkCopySpan(LONGLONG start)
{
    if (g_firstCopyStart == 0)
        g_firstCopyStart = start;
    g_lastCopyEnd = Now();
}

BOOL WINAPI TimedCopyFile(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    LONGLONG start = Now();
    BOOL result = g_copyFile(from, to, failIfExists);
    Count(COPY_FILE, start);
    MarkCopySpan(start);
    return result;
}

// The engine's own copy reads and writes: the span runs from its first
// read to its last write, as it does for CopyFileA.
BOOL WINAPI TimedReadFile(HANDLE file, LPVOID buffer, DWORD size,
                          LPDWORD got, LPOVERLAPPED overlapped)
{
    LONGLONG start = Now();
    BOOL result = g_readFile(file, buffer, size, got, overlapped);
    Count(FILE_DATA, start);
    if (g_firstCopyStart == 0)
        g_firstCopyStart = start;
    return result;
}

BOOL WINAPI TimedWriteFile(HANDLE file, LPCVOID buffer, DWORD size,
                           LPDWORD written, LPOVERLAPPED overlapped)
{
    LONGLONG start = Now();
    BOOL result = g_writeFile(file, buffer, size, written, overlapped);
    Count(FILE_DATA, start);
    MarkCopySpan(start);
    return result;
}

HANDLE WINAPI TimedCreateFile(LPCSTR path, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD creation,
                              DWORD flags, HANDLE copyFrom)
{
    return Timed(FILE_DATA, g_createFile, path, access, share, security,
                 creation, flags, copyFrom);
}

BOOL WINAPI TimedCloseHandle(HANDLE handle)
{
    return Timed(FILE_DATA, g_closeHandle, handle);
}

BOOL WINAPI TimedSetFileTime(HANDLE file, const FILETIME *created,
                             const FILETIME *accessed, const FILETIME *written)
{
    return Timed(FILE_DATA, g_setFileTime, file, created, accessed, written);
}

BOOL WINAPI TimedMoveFile(LPCSTR from, LPCSTR to)
{
    return Timed(RENAMES, g_moveFile, from, to);
}

BOOL WINAPI TimedMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags)
{
    return Timed(RENAMES, g_moveFileEx, from, to, flags);
}

BOOL WINAPI TimedDeleteFile(LPCSTR path)
{
    return Timed(RENAMES, g_deleteFile, path);
}

BOOL WINAPI TimedFlushFile(HANDLE file)
{
    return Timed(FLUSHES, g_flushFile, file);
}

HANDLE WINAPI TimedFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    return Timed(SEARCHES, g_findFirst, pattern, found);
}

BOOL WINAPI TimedSetAttributes(LPCSTR path, DWORD attributes)
{
    return Timed(FILE_ATTRIBUTES, g_setAttributes, path, attributes);
}

BOOL WINAPI TimedCreateDirectory(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    return Timed(FOLDERS, g_createDirectory, path, security);
}

DWORD WINAPI TimedGetAttributes(LPCSTR path)
{
    return Timed(FOLDERS, g_getAttributes, path);
}

LSTATUS WINAPI TimedRegCreate(HKEY root, LPCSTR name, DWORD reserved,
                              LPSTR keyClass, DWORD options, REGSAM access,
                              const LPSECURITY_ATTRIBUTES security,
                              PHKEY key, LPDWORD disposition)
{
    return Timed(REGISTRY, g_regCreate, root, name, reserved, keyClass, options,
                 access, security, key, disposition);
}

LSTATUS WINAPI TimedRegOpen(HKEY root, LPCSTR name, DWORD options,
                            REGSAM access, PHKEY key)
{
    return Timed(REGISTRY, g_regOpen, root, name, options, access, key);
}

LSTATUS WINAPI TimedRegSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                           const BYTE *data, DWORD size)
{
    return Timed(REGISTRY, g_regSet, key, name, reserved, type, data, size);
}

LSTATUS WINAPI TimedRegQuery(HKEY key, LPCSTR name, LPDWORD reserved,
                             LPDWORD type, LPBYTE data, LPDWORD size)
{
    return Timed(REGISTRY, g_regQuery, key, name, reserved, type, data, size);
}

LSTATUS WINAPI TimedRegDelete(HKEY root, LPCSTR name)
{
    return Timed(REGISTRY, g_regDelete, root, name);
}

HCONV WINAPI TimedDdeConnect(DWORD instance, HSZ service, HSZ topic,
                             PCONVCONTEXT context)
{
    return Timed(DDE_CONNECT, g_ddeConnect, instance, service, topic, context);
}

HDDEDATA WINAPI TimedDdeTransaction(LPBYTE data, DWORD size, HCONV conv,
                                    HSZ item, UINT format, UINT type,
                                    DWORD timeout, LPDWORD result)
{
    LONGLONG start = Now();
    HDDEDATA answer = g_ddeTransaction(data, size, conv, item, format, type,
                                       timeout, result);
    // The group command opens the group's folder window in Program
    // Manager, so it is timed apart from the item commands.
    static const char kGroupCommand[] = "[CreateGroup(";
    bool group = data != NULL && size >= sizeof(kGroupCommand) - 1 &&
                 memcmp(data, kGroupCommand, sizeof(kGroupCommand) - 1) == 0;
    Count(group ? DDE_GROUP : DDE_ITEM, start);
    return answer;
}

BOOL WINAPI TimedDdeDisconnect(HCONV conv)
{
    return Timed(DDE_OTHER, g_ddeDisconnect, conv);
}

UINT WINAPI TimedDdeInitialize(LPDWORD instance, PFNCALLBACK callback,
                               DWORD flags, DWORD reserved)
{
    return Timed(DDE_OTHER, g_ddeInitialize, instance, callback, flags,
                 reserved);
}

BOOL WINAPI TimedDdeUninitialize(DWORD instance)
{
    return Timed(DDE_OTHER, g_ddeUninitialize, instance);
}

UINT WINAPI TimedWinExec(LPCSTR command, UINT show)
{
    return Timed(DDE_OTHER, g_winExec, command, show);
}

LRESULT WINAPI TimedSendMessage(HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam)
{
    return Timed(PROGRESS_UI, g_sendMessage, window, message, wParam, lParam);
}

BOOL WINAPI TimedSetWindowText(HWND window, LPCSTR text)
{
    return Timed(PROGRESS_UI, g_setWindowText, window, text);
}

HMODULE WINAPI TimedLoadLibrary(LPCSTR name)
{
    return Timed(LIBRARIES, g_loadLibrary, name);
}

BOOL WINAPI TimedFreeLibrary(HMODULE module)
{
    return Timed(LIBRARIES, g_freeLibrary, module);
}

HRESULT WINAPI TimedCoInitialize(LPVOID reserved)
{
    return Timed(COM, g_coInitialize, reserved);
}

void WINAPI TimedCoUninitialize()
{
    LONGLONG start = Now();
    g_coUninitialize();
    Count(COM, start);
}

HRESULT WINAPI TimedCoCreateInstance(REFCLSID type, LPUNKNOWN outer,
                                     DWORD context, REFIID iid,
                                     LPVOID *object)
{
    return Timed(COM, g_coCreateInstance, type, outer, context, iid,
                 object);
}

// Hands out the COM wrappers in place of the functions they time.
FARPROC WINAPI TimedGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = g_getProcAddress(module, name);
    if (found == NULL || ((ULONG_PTR)name >> 16) == 0)
        return found;
    if (strcmp(name, "CoInitialize") == 0) {
        g_coInitialize = (CoInitializeCall)(void *)found;
        return (FARPROC)(void *)TimedCoInitialize;
    }
    if (strcmp(name, "CoUninitialize") == 0) {
        g_coUninitialize = (CoUninitializeCall)(void *)found;
        return (FARPROC)(void *)TimedCoUninitialize;
    }
    if (strcmp(name, "CoCreateInstance") == 0) {
        g_coCreateInstance = (CoCreateInstanceCall)(void *)found;
        return (FARPROC)(void *)TimedCoCreateInstance;
    }
    return found;
}

struct Hook {
    const char *name;
    void *wrapper;
    void **real;
};

const Hook kHooks[] = {
    {"GetPrivateProfileStringA", (void *)TimedGetString, (void **)&g_getString},
    {"GetPrivateProfileIntA", (void *)TimedGetInt, (void **)&g_getInt},
    {"GetPrivateProfileSectionA", (void *)TimedGetSection,
     (void **)&g_getSection},
    {"GetPrivateProfileSectionNamesA", (void *)TimedGetSectionNames,
     (void **)&g_getSectionNames},
    {"WritePrivateProfileStringA", (void *)TimedWriteString,
     (void **)&g_writeString},
    {"WritePrivateProfileSectionA", (void *)TimedWriteSection,
     (void **)&g_writeSection},
    {"CopyFileA", (void *)TimedCopyFile, (void **)&g_copyFile},
    {"SetFileAttributesA", (void *)TimedSetAttributes,
     (void **)&g_setAttributes},
    {"CreateDirectoryA", (void *)TimedCreateDirectory,
     (void **)&g_createDirectory},
    {"GetFileAttributesA", (void *)TimedGetAttributes,
     (void **)&g_getAttributes},
    {"RegCreateKeyExA", (void *)TimedRegCreate, (void **)&g_regCreate},
    {"RegOpenKeyExA", (void *)TimedRegOpen, (void **)&g_regOpen},
    {"RegSetValueExA", (void *)TimedRegSet, (void **)&g_regSet},
    {"RegQueryValueExA", (void *)TimedRegQuery, (void **)&g_regQuery},
    {"RegDeleteKeyA", (void *)TimedRegDelete, (void **)&g_regDelete},
    {"DdeConnect", (void *)TimedDdeConnect, (void **)&g_ddeConnect},
    {"DdeClientTransaction", (void *)TimedDdeTransaction,
     (void **)&g_ddeTransaction},
    {"DdeDisconnect", (void *)TimedDdeDisconnect, (void **)&g_ddeDisconnect},
    {"DdeInitializeA", (void *)TimedDdeInitialize, (void **)&g_ddeInitialize},
    {"DdeUninitialize", (void *)TimedDdeUninitialize,
     (void **)&g_ddeUninitialize},
    {"WinExec", (void *)TimedWinExec, (void **)&g_winExec},
    {"SendMessageA", (void *)TimedSendMessage, (void **)&g_sendMessage},
    {"SetWindowTextA", (void *)TimedSetWindowText, (void **)&g_setWindowText},
    {"CreateFileA", (void *)TimedCreateFile, (void **)&g_createFile},
    {"ReadFile", (void *)TimedReadFile, (void **)&g_readFile},
    {"WriteFile", (void *)TimedWriteFile, (void **)&g_writeFile},
    {"CloseHandle", (void *)TimedCloseHandle, (void **)&g_closeHandle},
    {"SetFileTime", (void *)TimedSetFileTime, (void **)&g_setFileTime},
    {"MoveFileA", (void *)TimedMoveFile, (void **)&g_moveFile},
    {"MoveFileExA", (void *)TimedMoveFileEx, (void **)&g_moveFileEx},
    {"DeleteFileA", (void *)TimedDeleteFile, (void **)&g_deleteFile},
    {"FlushFileBuffers", (void *)TimedFlushFile, (void **)&g_flushFile},
    {"FindFirstFileA", (void *)TimedFindFirst, (void **)&g_findFirst},
    {"LoadLibraryA", (void *)TimedLoadLibrary, (void **)&g_loadLibrary},
    {"FreeLibrary", (void *)TimedFreeLibrary, (void **)&g_freeLibrary},
    {"GetProcAddress", (void *)TimedGetProcAddress,
     (void **)&g_getProcAddress},
};

const Hook *FindHook(const char *name)
{
    for (const Hook &hook : kHooks)
        if (strcmp(hook.name, name) == 0)
            return &hook;
    return NULL;
}

void PatchSlot(void **slot, void *wrapper)
{
    DWORD old;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old))
        return;
    *slot = wrapper;
    VirtualProtect(slot, sizeof(*slot), old, &old);
}

// Points every import of a hooked name at its wrapper.
void PatchImports()
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_DOS_HEADER *dos = (IMAGE_DOS_HEADER *)base;
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return;
    IMAGE_IMPORT_DESCRIPTOR *library =
        (IMAGE_IMPORT_DESCRIPTOR *)(base + directory.VirtualAddress);
    for (; library->Name != 0; library++) {
        if (library->OriginalFirstThunk == 0)
            continue;
        IMAGE_THUNK_DATA *names =
            (IMAGE_THUNK_DATA *)(base + library->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots =
            (IMAGE_THUNK_DATA *)(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME *import =
                (IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData);
            const Hook *hook = FindHook((const char *)import->Name);
            if (hook == NULL)
                continue;
            *hook->real = (void *)slots->u1.Function;
            PatchSlot((void **)&slots->u1.Function, hook->wrapper);
        }
    }
}

double Milliseconds(LONGLONG ticks)
{
    return (double)ticks * 1000.0 / (double)g_frequency.QuadPart;
}

void WriteProfile()
{
    const char *path = getenv("BENCH_PROFILE");
    if (path == NULL || path[0] == '\0')
        return;
    FILE *out = fopen(path, "w");
    if (out == NULL)
        return;
    fprintf(out, "program_ms=%.1f\n", Milliseconds(Now() - g_programStart.QuadPart));
    fprintf(out, "copy_span_ms=%.1f\n",
            Milliseconds(g_lastCopyEnd - g_firstCopyStart));
    for (int i = 0; i < CATEGORY_COUNT; i++)
        fprintf(out, "%s|%.1f|%ld\n", kCategoryNames[i],
                Milliseconds(g_tally[i].ticks), g_tally[i].calls);
    fclose(out);
}

// Runs before WinMain: a static object of this file.
struct Profiler {
    Profiler()
    {
        QueryPerformanceFrequency(&g_frequency);
        QueryPerformanceCounter(&g_programStart);
        PatchImports();
    }
    ~Profiler() { WriteProfile(); }
};

Profiler g_profiler;

}  // namespace
