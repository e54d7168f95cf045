#include "uninstall/uninstall_run.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/install_report.h"
#include "common/platform.h"
#include "common/registry_writers.h"
#include "core/log/log_names.h"
#include "core/log/log_reader.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "install/preinstall_checks.h"
#include "log/log_files.h"
#include "removal/file_remove.h"
#include "removal/progman_remove.h"
#include "removal/uninstall_entry.h"
#include "transaction/transaction.h"
#include "uninstall/registry_remove.h"

static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";

// The file sections an install run writes, in the order it writes them.
enum LogSection { SECTION_DLL, SECTION_COMMON, SECTION_FILE, SECTION_COUNT };
static const char *const kFileSections[SECTION_COUNT] = {
    "Files_DLL", "Files_Common", "Files_File"};

// The removal's state: the lists of the log, each as large as what the log
// holds (bounded by UNINSTALL_LIST_CAPACITY), freed when it ends.
struct Removal {
    RemovalReport *report;
    RemovalProgress progress;
    void *context;
    int step;
    int steps;
    const char *logPath;
    bool removed[SECTION_COUNT];   // which file sections go
    LogValueList files[SECTION_COUNT];
    LogValueList folders;
    LogValueList keptFolders;   // of the sections that stay
    LogValueList shortcuts;
    LogValueList keys;
    LogValueList scratch;
    // The folders the installation created, when the log lists them
    // (foldersListed): then no other folder goes but those inside them.
    bool foldersListed;
    LogValueList created;
    // The destination folder of each file section ([UNINSTALL_<section>]
    // PATH).
    char destinations[SECTION_COUNT][PATH_SIZE];
    bool destinationGone[SECTION_COUNT];   // removed by this run
    // The uninstaller's own file: it goes last, after the program has ended.
    char self[PATH_SIZE];
    // One whole section of the log (LOG_SNAPSHOT_SIZE bytes, the largest an
    // install run writes), held only while the lists are read; NULL when
    // there was no memory for it: the sections are then read key by key.
    char *section;
};

static void CollectScannedLine(void *context, const SectionEntry *entry)
{
    CollectEntry((NumberedCollector *)context, entry);
}

// Reads a list from the log file's bytes, piece by piece: for a section
// larger than one profile read gives (the 95 family's stops at 32767
// bytes), or when there was no memory for a whole section. A log that
// cannot be read to its end counts as one dropped value: what it lists is
// not known, so the removal cannot be whole.
static void ReadLogListFromFile(const char *logPath, const char *section,
                                LogList which, LogValueList *list)
{
    NumberedCollector collector;
    StartCollecting(&collector, which, list);
    SectionScanner scanner;
    char file[PATH_SIZE];
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (StartSectionScan(&scanner, section, CollectScannedLine, &collector) &&
        ResolveLogFile(logPath, file, sizeof(file)))
        handle = CreateFileA(file, GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    bool whole = handle != INVALID_HANDLE_VALUE;
    if (whole) {
        static char piece[64 * 1024];
        DWORD got = 0;
        while ((whole = ReadFile(handle, piece, sizeof(piece), &got, NULL) !=
                        0) &&
               got > 0)
            ScanSectionBytes(&scanner, piece, got);
        CloseHandle(handle);
        FinishSectionScan(&scanner);
    }
    FinishCollecting(&collector);
    if (!whole)
        list->dropped++;
}

static void ReadLogList(Removal *r, const char *section, LogList which,
                        LogValueList *list)
{
    if (r->section != NULL &&
        ReadWholeProfileSection(section, r->section, LOG_SNAPSHOT_SIZE,
                                r->logPath))
        CollectNumberedValues(r->section, LOG_SNAPSHOT_SIZE, which, list);
    else
        ReadLogListFromFile(r->logPath, section, which, list);
}


static bool ListHolds(const LogValueList *list, const char *path)
{
    for (int i = 0; i < list->count; i++)
        if (SamePath(list->values[i], path))
            return true;
    return false;
}

// Adds value unless it is empty or already listed; one past the capacity
// is counted as dropped.
static void AppendValue(LogValueList *to, const char *value)
{
    if (value[0] != '\0' && !ListHolds(to, value))
        AppendLogValue(to, value);
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
    // Whether a section holds anything: the first line is enough.
    for (const char *section : kFileSections) {
        char firstLine[LOG_KEY_SIZE + PATH_SIZE];
        if (GetPrivateProfileSectionA(section, firstLine, sizeof(firstLine),
                                      logPath) > 0)
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

static void Step(Removal *r, const char *path)
{
    r->step++;
    ReportLine("removing: %s", path);
    if (r->progress != NULL)
        r->progress(r->context, r->step, r->steps, path);
}

// Notes that count listed items, named by the first, were not removed.
static void NoteFailed(Removal *r, const char *name, int count)
{
    if (count <= 0)
        return;
    if (count == 1)
        ReportLine("not removed: %s", name);
    else
        ReportLine("not removed: %s (%d items)", name, count);
    if (r->report->failed == 0)
        CopyText(r->report->firstFailed, PATH_SIZE, name);
    r->report->failed += count;
}

static void NoteFileResult(Removal *r, const char *path, FileRemoval result)
{
    if (result == FILE_SCHEDULED) {
        ReportLine("removed at the next restart (in use): %s", path);
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
    return length > 4 && CompareAsciiNoCase(path + length - 4, ".lnk") == 0;
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
static bool IsKeptFile(const Removal *r, const char *path)
{
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (r->removed[s] || !ListHolds(&r->files[s], path))
            continue;
        if (!EndsWithLnk(path) || s == SECTION_COMMON)
            return true;
    }
    return false;
}

// The shortcuts of the sections that go, each once: Program Manager is
// asked first, then whatever it left is deleted as a file.
static void CollectShortcuts(Removal *r)
{
    r->shortcuts.count = r->shortcuts.dropped = 0;
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!r->removed[s])
            continue;
        for (int i = 0; i < r->files[s].count; i++) {
            const char *path = r->files[s].values[i];
            if (!EndsWithLnk(path) || IsKeptFile(r, path) ||
                ListHolds(&r->shortcuts, path))
                continue;
            // A relative or network path would reach another file.
            if (IsRemovablePath(path))
                AppendValue(&r->shortcuts, path);
            else
                NoteFailed(r, path, 1);
        }
    }
    NoteFailed(r, "[Files]", r->shortcuts.dropped);
}

static void RemoveShortcuts(Removal *r)
{
    CollectShortcuts(r);
    DeleteThroughProgman(&r->shortcuts);
    for (int i = 0; i < r->shortcuts.count; i++) {
        const char *path = r->shortcuts.values[i];
        Step(r, path);
        NoteFileResult(r, path, RemoveFileOrSchedule(path));
        char other[PATH_SIZE];
        if (CounterpartPath(path, other, sizeof(other)))
            NoteFileResult(r, other, RemoveFileOrSchedule(other));
    }
}

static void RemoveFiles(Removal *r)
{
    RemoveShortcuts(r);
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!r->removed[s])
            continue;
        for (int i = 0; i < r->files[s].count; i++) {
            const char *path = r->files[s].values[i];
            if (EndsWithLnk(path) || IsKeptFile(r, path) ||
                SamePath(path, r->self))
                continue;
            Step(r, path);
            if (JudgeRemoval(path) == REMOVAL_ALLOWED)
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

// Whether the log lists the folders the installation created; reads them.
static void ReadCreatedFolders(Removal *r)
{
    char complete[8];
    ReadLogValue(r->logPath, CREATED_FOLDERS_SECTION,
                 CREATED_FOLDERS_COMPLETE, complete, sizeof(complete));
    r->foldersListed = strcmp(complete, "1") == 0;
    if (r->foldersListed) {
        ReadLogList(r, CREATED_FOLDERS_SECTION, LOG_PATHS, &r->created);
        NoteUnusableValues(r, CREATED_FOLDERS_SECTION, &r->created);
    }
}

// Whether the installation made folder: listed as created, or inside one
// that is (nothing there is older than the installation). A listed folder
// that never goes (a drive root, the Windows folder) cannot have been made.
static bool IsMadeByInstallation(const Removal *r, const char *folder)
{
    for (int i = 0; i < r->created.count; i++) {
        const char *made = r->created.values[i];
        if (SamePath(folder, made) ||
            (IsInsideFolder(folder, made, NULL) && !IsProtectedFolder(made)))
            return true;
    }
    return false;
}

// With the created folders listed, those go that the installation made,
// and none that a section which stays lists.
static void KeepOnlyMadeFolders(Removal *r)
{
    int kept = 0;
    for (int i = 0; i < r->folders.count; i++)
        if (!IsRemovablePath(r->folders.values[i]) ||
            IsMadeByInstallation(r, r->folders.values[i]))
            memmove(r->folders.values[kept++], r->folders.values[i],
                    PATH_SIZE);
    r->folders.count = kept;
    for (int i = 0; i < r->created.count; i++)
        if (!ListHolds(&r->keptFolders, r->created.values[i]))
            AppendValue(&r->folders, r->created.values[i]);
}

// The folders of the sections that go: their path sections, the
// destination folder of each, and the product's extra folder; when the log
// lists the folders the installation created, only those of them it made.
static void CollectFolders(Removal *r)
{
    r->folders.count = r->folders.dropped = 0;
    r->keptFolders.count = 0;
    memset(r->destinations, 0, sizeof(r->destinations));
    for (int s = 0; s < SECTION_COUNT; s++) {
        char name[LOG_SECTION_SIZE];
        if (FormPathSectionName(name, sizeof(name), kFileSections[s]) > 0) {
            ReadLogList(r, name, LOG_PATHS, &r->scratch);
            AppendList(r->removed[s] ? &r->folders : &r->keptFolders,
                       &r->scratch);
            if (r->removed[s])
                NoteUnusableValues(r, name, &r->scratch);
        }
        if (!r->removed[s])
            continue;
        char *folder = r->destinations[s];
        if (FormUninstallSectionName(name, sizeof(name), kFileSections[s]) >
            0) {
            ReadLogValue(r->logPath, name, "PATH", folder,
                         sizeof(r->destinations[s]));
            AppendValue(&r->folders, folder);
            if (!IsRemovablePath(folder))
                folder[0] = '\0';
            AllowDriveOf(folder);
        }
    }
    char extra[PATH_SIZE];
    ReadLogValue(r->logPath, "Extra_File", "Folder00", extra, sizeof(extra));
    AppendValue(&r->folders, extra);
    ReadCreatedFolders(r);
    if (r->foldersListed)
        KeepOnlyMadeFolders(r);
    // Program Manager may have made a group under the other Programs
    // folder than the one the log records.
    int logged = r->folders.count;
    for (int i = 0; i < logged; i++) {
        char other[PATH_SIZE];
        if (IsRemovablePath(r->folders.values[i]) &&
            CounterpartPath(r->folders.values[i], other, sizeof(other)))
            AppendValue(&r->folders, other);
    }
    // Folders past the capacity are never looked at: not removed.
    NoteFailed(r, "[Paths]", r->folders.dropped);
    SortDeepestFirst(&r->folders);
}

// Whether path is a part of the installation that stays for others: a file
// or folder that a kept section lists.
static bool IsKeptPart(const Removal *r, const char *path)
{
    if (IsKeptFile(r, path) || ListHolds(&r->keptFolders, path))
        return true;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (!r->removed[s] && ListHolds(&r->files[s], path))
            return true;
    return false;
}

// A folder that could not be removed: the first entry in it that is
// neither listed nor kept for others is the user's, and is named.
static void NoteKeptFolder(Removal *r, const char *folder)
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
            IsKeptPart(r, inside) || ListHolds(&r->folders, inside))
            continue;
        userFile = true;
    } while (!userFile && FindNextFileA(search, &found));
    FindClose(search);
    if (userFile)
        ReportLine("kept: folder %s holds %s", folder, found.cFileName);
    if (userFile && r->report->keptFolders++ == 0) {
        CopyText(r->report->keptFolder, PATH_SIZE, folder);
        CopyText(r->report->keptFolderFile, PATH_SIZE, found.cFileName);
    }
}

// For a log that does not list the folders the installation created:
// the folders between a listed folder and a listed folder above it. The
// install run creates them ("\doc\en" makes doc too) but lists only the
// deepest. A listed folder that never goes (a drive root, the Windows
// folder) existed before any installation, so the folders below it are
// not known to be ours. Empty ones go with the folder below them.
// context: the list.
static bool IsUnlistedBetweenListed(const char *parent, const void *context)
{
    const LogValueList *folders = (const LogValueList *)context;
    if (ListHolds(folders, parent))
        return false;
    for (int i = 0; i < folders->count; i++)
        if (IsInsideFolder(parent, folders->values[i], NULL) &&
            !IsProtectedFolder(folders->values[i]))
            return true;
    return false;
}

static void NoteDestinationGone(Removal *r, const char *folder)
{
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->destinations[s][0] != '\0' &&
            SamePath(folder, r->destinations[s]))
            r->destinationGone[s] = true;
}

// For a log that does not list the folders the installation created, the
// empty folders above each listed one go as the install run would have
// made them; never past a folder that holds anything or is protected, and
// from a destination only when this removal emptied it (one that was
// never there says nothing of the folder above it).
static void RemoveGuessedParents(Removal *r, const char *folder)
{
    RemoveEmptyParents(folder, IsUnlistedBetweenListed, &r->folders);
    NoteDestinationGone(r, folder);
}

static void RemoveFolders(Removal *r)
{
    for (int i = 0; i < r->folders.count; i++) {
        const char *folder = r->folders.values[i];
        Step(r, folder);
        // A path the safety check refuses, or a link (what it reaches is
        // not ours), is a listed item that stays; a protected folder was
        // there before any installation.
        RemovalVerdict verdict = JudgeRemoval(folder);
        if (verdict == REMOVAL_BAD_PATH || verdict == REMOVAL_FOLLOWED_LINK) {
            NoteFailed(r, folder, 1);
            continue;
        }
        if (verdict == REMOVAL_PROTECTED ||
            GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!RemoveEmptyFolder(folder))
            NoteKeptFolder(r, folder);
        else if (!r->foldersListed)
            RemoveGuessedParents(r, folder);
    }
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->removed[s] && r->destinationGone[s])
            RemoveEmptyParentsInProgramFiles(r->destinations[s]);
}

// The install run writes REGPATH00 and REGPATH01 at most; they are read
// as it numbers them, up to the first missing one.
static void ReadRegistryPaths(Removal *r, const char *section)
{
    for (int index = 0; index < 100; index++) {
        char key[LOG_KEY_SIZE];
        snprintf(key, sizeof(key), "REGPATH%02d", index);
        char value[PATH_SIZE + 1];   // one more: a cut value is refused
        DWORD got = GetPrivateProfileStringA(section, key, "", value,
                                             sizeof(value), r->logPath);
        if (got == 0)
            return;
        if (got < PATH_SIZE)
            AppendValue(&r->keys, value);
    }
}

static void RemoveRegistry(Removal *r)
{
    DeleteKeyTree(kFileAgentKey);
    // The keys above the product's go only when nothing else is in them.
    r->keys.count = 0;
    for (int s = SECTION_COMMON; s <= SECTION_FILE; s++)
        ReadRegistryPaths(r, kFileSections[s]);
    SortDeepestFirst(&r->keys);
    for (int i = 0; i < r->keys.count; i++)
        DeleteKeyIfEmpty(r->keys.values[i]);
}

// A fresh batch file's name in the temporary folder, in batch (size
// bytes). GetTempFileName makes a ".tmp" file; cmd runs it only as ".bat".
static bool NameSelfDeleteBatch(char *batch, size_t size)
{
    char folder[PATH_SIZE];
    char made[PATH_SIZE];
    DWORD got = GetTempPathA(sizeof(folder), folder);
    if (got == 0 || got >= sizeof(folder) ||
        GetTempFileNameA(folder, "uni", 0, made) == 0)
        return false;
    const char *dot = strrchr(made, '.');
    bool named = false;
    if (dot != NULL) {
        int stem = (int)(dot - made);
        int wanted = snprintf(batch, size, "%.*s.bat", stem, made);
        named = wanted > 0 && (size_t)wanted < size &&
                MoveFileA(made, batch);
    }
    if (!named)
        DeleteFileA(made);
    return named;
}

static bool WriteSelfDeleteBatch(const char *batch, const char *self)
{
    char script[PATH_SIZE * 8];
    int length = ComposeSelfDeleteBatch(script, sizeof(script), self, batch);
    if (length <= 0)
        return false;
    HANDLE file = CreateFileA(batch, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, script, (DWORD)length, &written, NULL) &&
                 written == (DWORD)length;
    CloseHandle(file);
    return whole;
}

// Runs the batch file through the command shell, without a window.
static bool StartHidden(const char *batch)
{
    char shell[PATH_SIZE];
    DWORD got = GetEnvironmentVariableA("COMSPEC", shell, sizeof(shell));
    if (got == 0 || got >= sizeof(shell))
        CopyText(shell, sizeof(shell), "cmd.exe");
    // /s takes the outer quotes off, so the batch path keeps its own even
    // with "&" or "(" in it.
    char command[PATH_SIZE * 3];
    int wanted = snprintf(command, sizeof(command), "\"%s\" /s /c \"\"%s\"\"",
                          shell, batch);
    if (wanted <= 0 || wanted >= (int)sizeof(command))
        return false;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_NO_WINDOW,
                        NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

static bool ScheduleOwnDeletion(Removal *r, const char *self)
{
    if (!ScheduleDeletion(self))
        return false;
    NoteFileResult(r, self, FILE_SCHEDULED);
    return true;
}

// The uninstaller's own file cannot be deleted while it runs. On the NT
// family a batch file waits for it to end, deletes it and then itself; on
// the 95 family (COMMAND.COM counts nothing for a bounded wait), or when
// the batch file cannot be set up, it goes at the next restart. Returns
// false when neither could be set up.
static bool RemoveOwnFileLater(Removal *r, const char *self)
{
    char batch[PATH_SIZE];
    if (!IsWin95Family() && NameSelfDeleteBatch(batch, sizeof(batch))) {
        if (WriteSelfDeleteBatch(batch, self) && StartHidden(batch))
            return true;
        DeleteFileA(batch);
    }
    return ScheduleOwnDeletion(r, self);
}

static bool IsSelfListed(const Removal *r)
{
    if (r->self[0] == '\0' ||
        GetFileAttributesA(r->self) == INVALID_FILE_ATTRIBUTES)
        return false;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (ListHolds(&r->files[s], r->self))
            return true;
    return false;
}

// Last of all, and only when every listed item went: the uninstaller when
// the log lists it, the log and the uninstall entry. Otherwise all three
// stay, so that the removal can be run again.
static void RemoveLogAndSelf(Removal *r)
{
    char entry[UNINSTALL_KEY_PATH_SIZE];
    int named = ReadUninstallEntry(r->logPath, entry, sizeof(entry));
    if (named < 0)
        NoteFailed(r, "[UnInstKey]", 1);
    else if (named > 0 && !EntryNamesLog(entry, r->logPath))
        NoteFailed(r, entry, 1);
    if (r->report->failed == 0 && IsSelfListed(r)) {
        SetFileAttributesA(r->self, FILE_ATTRIBUTE_NORMAL);
        if (!RemoveOwnFileLater(r, r->self))
            NoteFailed(r, r->self, 1);
    }
    if (r->report->failed > 0)
        return;
    FileRemoval result = RemoveFileOrSchedule(r->logPath);
    NoteFileResult(r, r->logPath, result);
    if (result != FILE_KEPT && named > 0)
        ReportLine("uninstall entry %s %s", entry,
                   DeleteKeyTree(entry) ? "removed" : "NOT removed");
}

static void FreeRemoval(Removal *r)
{
    for (LogValueList &list : r->files)
        FreeLogValues(&list);
    LogValueList *lists[] = {&r->folders, &r->keptFolders, &r->shortcuts,
                             &r->keys, &r->scratch, &r->created};
    for (LogValueList *list : lists)
        FreeLogValues(list);
    free(r->section);
    r->section = NULL;
}

// Reads the file lists and decides what goes; the steps are counted for
// the progress.
static void PlanRemoval(Removal *r, const UninstallNotes *notes)
{
    DWORD got = GetModuleFileNameA(NULL, r->self, sizeof(r->self));
    if (got == 0 || got >= sizeof(r->self))
        r->self[0] = '\0';
    for (int s = 0; s < SECTION_COUNT; s++)
        ReadLogList(r, kFileSections[s], LOG_FILES, &r->files[s]);
    DecideSections(notes, r->removed, r->report);
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->removed[s])
            NoteUnusableValues(r, kFileSections[s], &r->files[s]);
    CollectFolders(r);
    // The section buffer is large; the removal itself needs it no more.
    free(r->section);
    r->section = NULL;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (r->removed[s])
            r->steps += r->files[s].count;
    r->steps += r->folders.count;
}

int RemoveInstallation(const char *logPath, const UninstallNotes *notes,
                       RemovalReport *report, RemovalProgress progress,
                       void *context)
{
    memset(report, 0, sizeof(*report));
    Removal r;
    memset(&r, 0, sizeof(r));
    r.report = report;
    r.progress = progress;
    r.context = context;
    r.logPath = logPath;
    r.section = (char *)malloc(LOG_SNAPSHOT_SIZE);
    ForgetProtectedFolders();   // the drives of this log's folders only
    PlanRemoval(&r, notes);
    RemoveFiles(&r);
    RemoveFolders(&r);
    RemoveRegistry(&r);
    RemoveLogAndSelf(&r);
    FreeRemoval(&r);
    if (report->failed > 0)
        return UNINSTALL_PARTIAL;
    return report->scheduled > 0 ? UNINSTALL_RESTART : UNINSTALL_REMOVED;
}
