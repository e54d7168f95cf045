#include "uninstall/uninstall_run.h"

#include <stdio.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/platform.h"
#include "core/log/log_names.h"
#include "install/registry_writers.h"
#include "pages/welcome_checks.h"
#include "install/file_remove.h"
#include "core/log/log_reader.h"
#include "install/progman_remove.h"
#include "uninstall/registry_remove.h"

static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

// The file sections an install run writes, in the order it writes them.
enum LogSection { SECTION_DLL, SECTION_COMMON, SECTION_FILE, SECTION_COUNT };
static const char *const kFileSections[SECTION_COUNT] = {
    "Files_DLL", "Files_Common", "Files_File"};

// One whole section of the log; the largest an install run writes.
static char s_section[LOG_SNAPSHOT_SIZE];

// The lists of the log, kept here: each is large.
static LogValueList s_files[SECTION_COUNT];
static LogValueList s_folders;
static LogValueList s_keptFolders;   // of the sections that stay
static LogValueList s_shortcuts;
static LogValueList s_keys;
static LogValueList s_scratch;
// The destination folder of each file section ([UNINSTALL_<section>] PATH).
static char s_destinations[SECTION_COUNT][PATH_SIZE];
// The uninstaller's own file: it goes last, after the program has ended.
static char s_self[PATH_SIZE];

// Missing keys in a row after which a per-key read ends: gaps in the
// numbering do not end a list, but the reads cost a file check each.
static const int kMissingKeyRun = 256;

// A section larger than one read gives (the 95 family's profile service
// stops at 32767 bytes, and an install run writes past that key by key) is
// read key by key, up to the numbers an install run tracks.
static void ReadLogListByKeys(const char *logPath, const char *section,
                              LogList which, LogValueList *list)
{
    list->count = list->refused = list->dropped = 0;
    int missing = 0;
    for (int index = 0;
         index < LOG_SNAPSHOT_MAX_INDEX && missing < kMissingKeyRun;
         index++) {
        char key[LOG_KEY_SIZE];
        // One byte more than a path: a value cut to it is refused.
        char value[PATH_SIZE + 1];
        if (FormatLogKey(key, sizeof(key), which, index) < 0)
            return;
        DWORD got = GetPrivateProfileStringA(section, key, "", value,
                                             sizeof(value), logPath);
        missing = got == 0 ? missing + 1 : 0;
        AddLoggedValue(list, value, got);
    }
}

static void ReadLogList(const char *logPath, const char *section,
                        LogList which, LogValueList *list)
{
    if (ReadWholeProfileSection(section, s_section, sizeof(s_section),
                                logPath))
        CollectNumberedValues(s_section, sizeof(s_section), which, list);
    else
        ReadLogListByKeys(logPath, section, which, list);
}


static bool ListHolds(const LogValueList *list, const char *path)
{
    for (int i = 0; i < list->count; i++)
        if (SamePath(list->values[i], path))
            return true;
    return false;
}

// Adds value unless it is empty or already listed.
static void AppendValue(LogValueList *to, const char *value)
{
    if (value[0] != '\0' && to->count < UNINSTALL_LIST_CAPACITY &&
        !ListHolds(to, value))
        CopyText(to->values[to->count++], PATH_SIZE, value);
}

int IsUsableLog(const char *logPath)
{
    if (logPath[0] == '\0')
        return 0;
    DWORD attributes = GetFileAttributesA(logPath);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    char key[UNINSTALL_KEY_NAME_SIZE];
    GetPrivateProfileStringA("UnInstKey", "UnInstKey_File", "", key,
                             sizeof(key), logPath);
    if (key[0] != '\0')
        return 1;
    for (const char *section : kFileSections) {
        s_section[0] = s_section[1] = '\0';
        if (GetPrivateProfileSectionA(section, s_section, 4096, logPath) > 0)
            return 1;
    }
    return 0;
}

// Reads a value that must fit value (size bytes, at most PATH_SIZE) whole.
// One byte more is read, so a value that fills the buffer is used and a
// longer one, which cut would name something else, gives "".
static void ReadLogValue(const char *logPath, const char *section,
                         const char *key, char *value, size_t size)
{
    char read[PATH_SIZE + 1];
    DWORD readSize = size < sizeof(read) ? (DWORD)size + 1 : sizeof(read);
    DWORD got = GetPrivateProfileStringA(section, key, "", read, readSize,
                                         logPath);
    CopyText(value, size, got < size ? read : "");
}

static void ReadNote(const char *logPath, const char *key, char *value,
                     size_t size)
{
    ReadLogValue(logPath, NOTES_SECTION, key, value, size);
}

void ReadUninstallNotes(const char *logPath, UninstallNotes *notes)
{
    memset(notes, 0, sizeof(*notes));
    ReadNote(logPath, NOTES_LANGUAGE, notes->language,
             sizeof(notes->language));
    ReadNote(logPath, NOTES_APP_NAME, notes->appName, sizeof(notes->appName));
    ReadNote(logPath, NOTES_UTILITY_PREFIX, notes->utilityPrefix,
             sizeof(notes->utilityPrefix));
    ReadNote(logPath, NOTES_SHARING_KEY, notes->sharingKey,
             sizeof(notes->sharingKey));
    // Without the application name the library's registration cannot be
    // released, so the notes count only with it.
    notes->present = notes->appName[0] != '\0';
}

void ReadDisplayName(const char *logPath, char *name, size_t size)
{
    char key[UNINSTALL_KEY_NAME_SIZE];
    ReadLogValue(logPath, "UnInstKey", "UnInstKey_File", key, sizeof(key));
    CopyText(name, size, key);
    char entry[UNINSTALL_KEY_PATH_SIZE];
    if (key[0] == '\0' ||
        snprintf(entry, sizeof(entry), "%s\\%s", kUninstallRoot, key) >=
            (int)sizeof(entry))
        return;
    char display[DISPLAY_NAME_SIZE];
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, entry, "DisplayName", display,
                         sizeof(display)) &&
        display[0] != '\0')
        CopyText(name, size, display);
}

bool IsUtilityRunning(const UninstallNotes *notes)
{
    // An empty prefix would match every window and refuse for ever.
    return notes->utilityPrefix[0] != '\0' &&
           FindWindowByPrefix(notes->utilityPrefix) != NULL;
}

// ---- What goes ----

struct Removal {
    RemovalReport *report;
    RemovalProgress progress;
    void *context;
    int step;
    int steps;
};

static void Step(Removal *r, const char *path)
{
    r->step++;
    if (r->progress != NULL)
        r->progress(r->context, r->step, r->steps, path);
}

// Notes that count listed items, named by the first, were not removed.
static void NoteFailed(Removal *r, const char *name, int count)
{
    if (count <= 0)
        return;
    if (r->report->failed == 0)
        CopyText(r->report->firstFailed, PATH_SIZE, name);
    r->report->failed += count;
}

static void NoteFileResult(Removal *r, const char *path, FileRemoval result)
{
    if (result == FILE_SCHEDULED) {
        if (r->report->scheduled++ == 0)
            CopyText(r->report->firstScheduled, PATH_SIZE, path);
    } else if (result == FILE_KEPT) {
        NoteFailed(r, path, 1);
    }
}

// Values of a list that goes that were refused or dropped: listed, never
// acted upon, so not removed. Named by their section.
static void NoteUnusableValues(Removal *r, const char *section,
                               const LogValueList *list)
{
    char name[LOG_SECTION_SIZE + 2];
    snprintf(name, sizeof(name), "[%s]", section);
    NoteFailed(r, name, list->refused + list->dropped);
}

static bool EndsWithLnk(const char *path)
{
    size_t length = strlen(path);
    return length > 4 && lstrcmpiA(path + length - 4, ".lnk") == 0;
}

// Which file sections go: the product's own always; the library when no
// other application is registered with it; the common component when the
// delivery utility of the same edition is not installed. Without notes
// both shared parts stay.
static void DecideSections(const UninstallNotes *notes, bool removed[],
                           RemovalReport *report)
{
    removed[SECTION_FILE] = true;
    removed[SECTION_DLL] = notes->present &&
                           ReleaseNetworkLibrary(notes->appName);
    bool sharingInstalled = !notes->present ||
                            notes->sharingKey[0] == '\0' ||
                            KeyExists(notes->sharingKey);
    removed[SECTION_COMMON] = notes->present && !sharingInstalled;
    report->keptNetworkLibrary = !removed[SECTION_DLL];
    report->keptCommonFiles = !removed[SECTION_COMMON];
}

// A file listed by a section that stays, stays; the shortcuts of the common
// list stay only with the common component.
static bool IsKeptFile(const bool removed[], const char *path)
{
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (removed[s] || !ListHolds(&s_files[s], path))
            continue;
        if (!EndsWithLnk(path) || s == SECTION_COMMON)
            return true;
    }
    return false;
}

static void RemoveFiles(Removal *r, const bool removed[])
{
    s_shortcuts.count = 0;
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!removed[s])
            continue;
        for (int i = 0; i < s_files[s].count; i++) {
            const char *path = s_files[s].values[i];
            if (!EndsWithLnk(path) || IsKeptFile(removed, path) ||
                ListHolds(&s_shortcuts, path))
                continue;
            // A relative or network path would reach another file.
            if (IsRemovablePath(path))
                AppendValue(&s_shortcuts, path);
            else
                NoteFailed(r, path, 1);
        }
    }
    DeleteThroughProgman(&s_shortcuts);
    for (int i = 0; i < s_shortcuts.count; i++) {
        const char *path = s_shortcuts.values[i];
        Step(r, path);
        NoteFileResult(r, path, RemoveFileOrSchedule(path));
        char other[PATH_SIZE];
        if (CounterpartPath(path, other, sizeof(other)))
            NoteFileResult(r, other, RemoveFileOrSchedule(other));
    }
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!removed[s])
            continue;
        for (int i = 0; i < s_files[s].count; i++) {
            const char *path = s_files[s].values[i];
            if (EndsWithLnk(path) || IsKeptFile(removed, path) ||
                SamePath(path, s_self))
                continue;
            Step(r, path);
            if (IsRemovablePath(path))
                NoteFileResult(r, path, RemoveFileOrSchedule(path));
            else
                NoteFailed(r, path, 1);
        }
    }
}

static void AppendList(LogValueList *to, const LogValueList *from)
{
    for (int i = 0; i < from->count; i++)
        AppendValue(to, from->values[i]);
}

// The folders of the sections that go: their path sections, the
// destination folder of each, and the product's extra folder.
static void CollectFolders(Removal *r, const char *logPath,
                           const bool removed[])
{
    s_folders.count = 0;
    s_keptFolders.count = 0;
    memset(s_destinations, 0, sizeof(s_destinations));
    for (int s = 0; s < SECTION_COUNT; s++) {
        char name[LOG_SECTION_SIZE];
        if (FormPathSectionName(name, sizeof(name), kFileSections[s]) > 0) {
            ReadLogList(logPath, name, LOG_PATHS, &s_scratch);
            AppendList(removed[s] ? &s_folders : &s_keptFolders, &s_scratch);
            if (removed[s])
                NoteUnusableValues(r, name, &s_scratch);
        }
        if (!removed[s])
            continue;
        char *folder = s_destinations[s];
        folder[0] = '\0';
        if (FormUninstallSectionName(name, sizeof(name), kFileSections[s]) >
            0) {
            ReadLogValue(logPath, name, "PATH", folder, PATH_SIZE);
            if (!IsRemovablePath(folder))
                folder[0] = '\0';
            AppendValue(&s_folders, folder);
        }
    }
    char extra[PATH_SIZE];
    ReadLogValue(logPath, "Extra_File", "Folder00", extra, sizeof(extra));
    AppendValue(&s_folders, extra);
    // Program Manager may have made a group under the other Programs
    // folder than the one the log records.
    int logged = s_folders.count;
    for (int i = 0; i < logged; i++) {
        char other[PATH_SIZE];
        if (CounterpartPath(s_folders.values[i], other, sizeof(other)))
            AppendValue(&s_folders, other);
    }
    SortDeepestFirst(&s_folders);
}

// Whether path is a part of the installation that stays for others: a file
// or folder that a kept section lists.
static bool IsKeptPart(const bool removed[], const char *path)
{
    if (IsKeptFile(removed, path) || ListHolds(&s_keptFolders, path))
        return true;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (!removed[s] && ListHolds(&s_files[s], path))
            return true;
    return false;
}

// A folder that could not be removed: the first entry in it that is
// neither listed nor kept for others is the user's, and is named.
static void NoteKeptFolder(Removal *r, const char *folder,
                           const bool removed[])
{
    char pattern[PATH_SIZE];
    CopyText(pattern, sizeof(pattern), folder);
    if (AppendPath(pattern, sizeof(pattern), "*") < 0)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    bool userFile = false;
    do {
        if (strcmp(found.cFileName, ".") == 0 ||
            strcmp(found.cFileName, "..") == 0)
            continue;
        char inside[PATH_SIZE];
        CopyText(inside, sizeof(inside), folder);
        if (AppendPath(inside, sizeof(inside), found.cFileName) < 0 ||
            IsKeptPart(removed, inside) || ListHolds(&s_folders, inside))
            continue;
        userFile = true;
    } while (!userFile && FindNextFileA(search, &found));
    FindClose(search);
    if (userFile && r->report->keptFolders++ == 0) {
        CopyText(r->report->keptFolder, PATH_SIZE, folder);
        CopyText(r->report->keptFolderFile, PATH_SIZE, found.cFileName);
    }
}

// The folders between a listed folder and a listed folder above it: the
// install run creates them ("\\doc\\en" makes doc too) but lists only the
// deepest. Empty ones go with the folder below them.
static bool InsideListedFolder(const char *path)
{
    for (int i = 0; i < s_folders.count; i++)
        if (IsInsideFolder(path, s_folders.values[i], NULL))
            return true;
    return false;
}

// The folders between a listed folder and a listed folder above it: the
// install run creates them ("\doc\en" makes doc too) but lists only the
// deepest. Empty ones go with the folder below them.
static bool IsUnlistedBetweenListed(const char *parent, const void *)
{
    return !ListHolds(&s_folders, parent) && InsideListedFolder(parent);
}

static void RemoveFolders(Removal *r, const bool removed[])
{
    for (int i = 0; i < s_folders.count; i++) {
        const char *folder = s_folders.values[i];
        Step(r, folder);
        if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES ||
            IsProtectedFolder(folder))
            continue;
        if (RemoveEmptyFolder(folder))
            RemoveEmptyParents(folder, IsUnlistedBetweenListed, NULL);
        else
            NoteKeptFolder(r, folder, removed);
    }
    for (int s = 0; s < SECTION_COUNT; s++)
        if (removed[s])
            RemoveEmptyParentsInProgramFiles(s_destinations[s]);
}

// The install run writes REGPATH00 and REGPATH01 at most; they are read
// as it numbers them, up to the first missing one.
static void ReadRegistryPaths(const char *logPath, const char *section)
{
    for (int index = 0; index < 100; index++) {
        char key[LOG_KEY_SIZE];
        snprintf(key, sizeof(key), "REGPATH%02d", index);
        char value[PATH_SIZE + 1];   // one more: a cut value is refused
        DWORD got = GetPrivateProfileStringA(section, key, "", value,
                                             sizeof(value), logPath);
        if (got == 0)
            return;
        if (got < PATH_SIZE)
            AppendValue(&s_keys, value);
    }
}

// The uninstall entry the log names, in entry (UNINSTALL_KEY_PATH_SIZE
// bytes). Returns 1, 0 when the log names none, or -1 when the name is
// unusable: too long, or with a backslash that would reach another
// program's entry (a Shift-JIS trail byte is no backslash).
static int ReadUninstallEntry(const char *logPath, char *entry)
{
    char key[UNINSTALL_KEY_NAME_SIZE + 1];
    DWORD got = GetPrivateProfileStringA("UnInstKey", "UnInstKey_File", "",
                                         key, sizeof(key), logPath);
    if (got == 0)
        return 0;
    if (got >= UNINSTALL_KEY_NAME_SIZE || FindLastSeparator(key) != NULL ||
        snprintf(entry, UNINSTALL_KEY_PATH_SIZE, "%s\\%s", kUninstallRoot,
                 key) >= UNINSTALL_KEY_PATH_SIZE)
        return -1;
    return 1;
}

static void RemoveRegistry(const char *logPath)
{
    DeleteKeyTree(kFileAgentKey);
    // The keys above the product's go only when nothing else is in them.
    s_keys.count = 0;
    for (int s = SECTION_COMMON; s <= SECTION_FILE; s++)
        ReadRegistryPaths(logPath, kFileSections[s]);
    SortDeepestFirst(&s_keys);
    for (int i = 0; i < s_keys.count; i++)
        DeleteKeyIfEmpty(s_keys.values[i]);
}

// The uninstaller's own file cannot be deleted while it runs. On the NT
// family a batch file waits for it to end, deletes it and then itself; on
// the 95 family (COMMAND.COM counts nothing for a bounded wait) it goes at
// the next restart. Returns false when neither could be set up.
static bool RemoveOwnFileLater(Removal *r, const char *self)
{
    if (IsWin95Family()) {
        if (!ScheduleDeletion(self))
            return false;
        NoteFileResult(r, self, FILE_SCHEDULED);
        return true;
    }
    char folder[PATH_SIZE];
    char batch[PATH_SIZE];
    DWORD got = GetTempPathA(sizeof(folder), folder);
    if (got == 0 || got >= sizeof(folder) ||
        GetTempFileNameA(folder, "uni", 0, batch) == 0)
        return false;
    // GetTempFileName made the file; a batch file needs its extension.
    char named[PATH_SIZE];
    CopyText(named, sizeof(named), batch);
    char *dot = strrchr(named, '.');
    if (dot == NULL || (size_t)(dot - named) + 5 > sizeof(named) ||
        (strcpy(dot, ".bat"), !MoveFileA(batch, named))) {
        DeleteFileA(batch);
        return false;
    }
    static char script[PATH_SIZE * 8];
    int length = ComposeSelfDeleteBatch(script, sizeof(script), self, named);
    HANDLE file = CreateFileA(named, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    bool ready = length > 0 && file != INVALID_HANDLE_VALUE &&
                 WriteFile(file, script, (DWORD)length, &written, NULL) &&
                 written == (DWORD)length;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    char shell[PATH_SIZE];
    got = GetEnvironmentVariableA("COMSPEC", shell, sizeof(shell));
    if (got == 0 || got >= sizeof(shell))
        CopyText(shell, sizeof(shell), "cmd.exe");
    // /s takes the outer quotes off, so the batch path keeps its own even
    // with "&" or "(" in it.
    char command[PATH_SIZE * 3];
    int wanted = snprintf(command, sizeof(command), "\"%s\" /s /c \"\"%s\"\"",
                          shell, named);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (ready && wanted > 0 && wanted < (int)sizeof(command) &&
        CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_NO_WINDOW,
                       NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
    DeleteFileA(named);
    if (!ScheduleDeletion(self))
        return false;
    NoteFileResult(r, self, FILE_SCHEDULED);
    return true;
}

static bool IsSelfListed()
{
    if (s_self[0] == '\0' || GetFileAttributesA(s_self) == INVALID_FILE_ATTRIBUTES)
        return false;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (ListHolds(&s_files[s], s_self))
            return true;
    return false;
}

// Last of all, and only when every listed item went: the uninstaller when
// the log lists it, the log and the uninstall entry. Otherwise all three
// stay, so that the removal can be run again.
static void RemoveLogAndSelf(Removal *r, const char *logPath)
{
    char entry[UNINSTALL_KEY_PATH_SIZE];
    int named = ReadUninstallEntry(logPath, entry);
    if (named < 0)
        NoteFailed(r, "[UnInstKey]", 1);
    if (r->report->failed == 0 && IsSelfListed()) {
        SetFileAttributesA(s_self, FILE_ATTRIBUTE_NORMAL);
        if (!RemoveOwnFileLater(r, s_self))
            NoteFailed(r, s_self, 1);
    }
    if (r->report->failed > 0)
        return;
    FileRemoval result = RemoveFileOrSchedule(logPath);
    NoteFileResult(r, logPath, result);
    if (result != FILE_KEPT && named > 0)
        DeleteKeyTree(entry);
}

int RemoveInstallation(const char *logPath, const UninstallNotes *notes,
                       RemovalReport *report, RemovalProgress progress,
                       void *context)
{
    memset(report, 0, sizeof(*report));
    Removal r = {report, progress, context, 0, 0};
    DWORD got = GetModuleFileNameA(NULL, s_self, sizeof(s_self));
    if (got == 0 || got >= sizeof(s_self))
        s_self[0] = '\0';
    for (int s = 0; s < SECTION_COUNT; s++)
        ReadLogList(logPath, kFileSections[s], LOG_FILES, &s_files[s]);

    bool removed[SECTION_COUNT];
    DecideSections(notes, removed, report);
    for (int s = 0; s < SECTION_COUNT; s++)
        if (removed[s])
            NoteUnusableValues(&r, kFileSections[s], &s_files[s]);
    CollectFolders(&r, logPath, removed);
    for (int s = 0; s < SECTION_COUNT; s++)
        if (removed[s])
            r.steps += s_files[s].count;
    r.steps += s_folders.count;

    RemoveFiles(&r, removed);
    RemoveFolders(&r, removed);
    RemoveRegistry(logPath);
    RemoveLogAndSelf(&r, logPath);
    if (report->failed > 0)
        return UNINSTALL_PARTIAL;
    return report->scheduled > 0 ? UNINSTALL_RESTART : UNINSTALL_REMOVED;
}
