#include "uninstall/removal_plan.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/install_report.h"
#include "common/platform.h"
#include "common/registry_writers.h"
#include "core/log/log_names.h"
#include "core/log/log_section.h"
#include "core/script/shortcut_rule.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "install/preinstall_checks.h"
#include "log/log_files.h"
#include "log/uninstaller_notes.h"
#include "removal/file_remove.h"
#include "uninstall/registry_remove.h"

static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The file sections an install run writes, in the order it writes them
// (numbered by LogSection).
static const char *const kFileSections[SECTION_COUNT] = {
    "Files_DLL", "Files_Common", "Files_File"};

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

bool ListHolds(const LogValueList *list, const char *path)
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

void NoteFailed(Removal *r, const char *name, int count)
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

void NoteFileResult(Removal *r, const char *path, FileRemoval result)
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
bool IsKeptFile(const Removal *r, const char *path)
{
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (r->removed[s] || !ListHolds(&r->files[s], path))
            continue;
        if (!IsLinkFilePath(path) || s == SECTION_COMMON)
            return true;
    }
    return false;
}

// The shortcuts of the sections that go, each once: Program Manager is
// asked first, then whatever it left is deleted as a file.
void CollectShortcuts(Removal *r)
{
    r->shortcuts.count = r->shortcuts.dropped = 0;
    for (int s = 0; s < SECTION_COUNT; s++) {
        if (!r->removed[s])
            continue;
        for (int i = 0; i < r->files[s].count; i++) {
            const char *path = r->files[s].values[i];
            if (!IsLinkFilePath(path) || IsKeptFile(r, path) ||
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

// The keys above the product's go only when nothing else is in them, the
// deepest first; they are read just before they go.
void CollectRegistryKeys(Removal *r)
{
    r->keys.count = 0;
    for (int s = SECTION_COMMON; s <= SECTION_FILE; s++)
        ReadRegistryPaths(r, kFileSections[s]);
    SortDeepestFirst(&r->keys);
}

void FreeRemoval(Removal *r)
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

void PlanRemoval(Removal *r, const UninstallNotes *notes)
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
