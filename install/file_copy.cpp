#include "install/file_copy.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/script/folder_field.h"
#include "core/script/script_entry.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "core/text/target_path.h"
#include "install/script_section.h"
#include "log/log_files.h"
#include "log/uninstall_log.h"
#include "shortcuts/shortcut_list.h"
#include "transaction/file_replace.h"
#include "transaction/journal_writer.h"

// The number of entries of a file section: "SectionFiles" when it is
// positive (at most MAX_SCRIPT_ENTRIES), otherwise the number of "file%03d"
// keys before the first missing or empty one.
static int CountEntries(const FileSectionReader *reader)
{
    int count = (int)GetPrivateProfileIntA(reader->section, "SectionFiles", 0,
                                           reader->scriptPath);
    if (count > MAX_SCRIPT_ENTRIES)
        return MAX_SCRIPT_ENTRIES;
    if (count > 0)
        return count;
    char value[FILE_ENTRY_SIZE];
    for (int index = 0; index < MAX_SCRIPT_ENTRIES; index++) {
        ReadFileValue(reader, index, value, sizeof(value));
        if (value[0] == '\0')
            return index;
    }
    return MAX_SCRIPT_ENTRIES;
}

static void ReadFileEntry(const FileSectionReader *reader, int index,
                          FileEntry *entry)
{
    char value[FILE_ENTRY_SIZE];
    ReadFileValue(reader, index, value, sizeof(value));
    SplitFileEntry(value, entry);
}

// The fields expanded last, with what they gave. Each expansion reads the
// Startup folder from the registry, and the entries of a section mostly
// share their source and destination fields. Kept for one section.
struct ExpandedField {
    bool used;
    bool fits;
    int allUsers;
    char field[FILE_ENTRY_SIZE];
    char expanded[PATH_SIZE];
};

static ExpandedField s_expandedFields[2];
static int s_expandedNext;

static void ForgetExpandedFields()
{
    memset(s_expandedFields, 0, sizeof(s_expandedFields));
    s_expandedNext = 0;
}

static const ExpandedField *FindExpandedField(const char *field, int allUsers)
{
    for (const ExpandedField &cached : s_expandedFields)
        if (cached.used && cached.allUsers == allUsers &&
            strcmp(cached.field, field) == 0)
            return &cached;
    return NULL;
}

// Expands a folder field with this computer's folders for the run's
// all-users choice (the context); false when it does not fit.
static bool ExpandFieldHere(void *allUsers, char *expanded, size_t size,
                            const char *field)
{
    int users = *(int *)allUsers;
    const ExpandedField *cached = FindExpandedField(field, users);
    if (cached != NULL && size == sizeof(cached->expanded))
        return CopyText(expanded, size, cached->expanded) ==
                   strlen(cached->expanded) &&
               cached->fits;
    bool fits = ExpandFolderMacros(expanded, size, field, users) == 1;
    ExpandedField *slot = &s_expandedFields[s_expandedNext];
    if (size == sizeof(slot->expanded) &&
        CopyText(slot->field, sizeof(slot->field), field) == strlen(field)) {
        CopyText(slot->expanded, sizeof(slot->expanded), expanded);
        slot->allUsers = users;
        slot->fits = fits;
        slot->used = true;
        s_expandedNext = (s_expandedNext + 1) %
                         (int)(sizeof(s_expandedFields) /
                               sizeof(s_expandedFields[0]));
    } else {
        slot->used = false;
    }
    return fits;
}

// A folder field of an entry resolved against base (see
// core/script/folder_field.h). Returns false when it does not fit.
static bool ResolveFolder(char *folder, size_t size, const char *base,
                          const char *field, int allUsers)
{
    return ResolveFolderField(folder, size, base, field, ExpandFieldHere,
                              &allUsers);
}

// The source folder base: the program directory and one backslash.
static void GetSourceBase(char *base, size_t size)
{
    CopyText(base, size, g_programDirectory);
    AppendPath(base, size, "");
}

// The full destination path of an entry and its folder, formed as the copy
// forms them. Returns false when the entry names no file or a path does
// not fit (nothing may then be copied or recorded for it).
static bool FormDestination(const FileEntry *entry,
                            const char *destinationFolder, int allUsers,
                            char *folder, size_t folderSize, char *file,
                            size_t fileSize)
{
    if (entry->tooLong || entry->fileName[0] == '\0')
        return false;
    if (!ResolveFolder(folder, folderSize, destinationFolder,
                       entry->destinationFolder, allUsers))
        return false;
    if (CopyText(file, fileSize, folder) != strlen(folder))
        return false;
    if (AppendPath(file, fileSize, entry->fileName) < 0)
        return false;
    // A name of separators only ("\\") leaves the folder itself, which
    // must never be copied onto or recorded as a file.
    const char *last = FindLastSeparator(file);
    return last == NULL || last[1] != '\0';
}

static bool FormSource(const FileEntry *entry, int allUsers, char *file,
                       size_t size)
{
    char base[PATH_SIZE];
    GetSourceBase(base, sizeof(base));
    if (!ResolveFolder(file, size, base, entry->sourceFolder, allUsers))
        return false;
    return AppendPath(file, size, entry->fileName) >= 0;
}

static bool IsDotComponent(const char *start, const char *end)
{
    size_t length = (size_t)(end - start);
    return (length == 1 && start[0] == '.') ||
           (length == 2 && start[0] == '.' && start[1] == '.');
}

// What follows base and its separator in path, or NULL when path is not
// base joined with something.
static const char *PartBelow(const char *base, const char *path)
{
    size_t baseLength = strlen(base);
    if (baseLength == 0 || strncmp(path, base, baseLength) != 0)
        return NULL;
    const char *rest = path + baseLength;
    if (FindLastSeparator(base) != base + baseLength - 1) {
        if (*rest != '\\')
            return NULL;
        rest++;
    }
    return *rest != '\0' ? rest : NULL;
}

// Every folder between base and the last separator of path, parents
// before children ("base\a\b\c.txt" gives base\a, then base\a\b): a name
// or folder field with subfolders creates them all, and the uninstaller
// needs each listed to remove it. A "." or ".." component names no
// folder of its own, so nothing from there on is listed: then returns
// false.
static bool LogFoldersBelow(const char *base, const char *path,
                            LogNumbering *paths)
{
    const char *below = PartBelow(base, path);
    char folder[PATH_SIZE];
    if (below == NULL || CopyText(folder, sizeof(folder), path) != strlen(path))
        return false;
    char *start = folder + (below - path);
    const char *last = FindLastSeparator(folder);
    for (char *p = start; last != NULL && p <= last; p = NextChar(p)) {
        if (*p != '\\')
            continue;
        if (IsDotComponent(start, p))
            return false;
        *p = '\0';
        AddLogValue(paths, folder);
        *p = '\\';
        start = p + 1;
    }
    return true;
}

static CopyFailurePolicy s_policy;
static void *s_policyContext;
static bool s_aborted;

void SetCopyFailurePolicy(CopyFailurePolicy policy, void *context)
{
    s_policy = policy;
    s_policyContext = context;
    s_aborted = false;
}

static void NoteRestart(CopyFailures *failures, const char *target)
{
    ReportLine("replaced at the next restart (in use): %s", target);
    if (failures == NULL)
        return;
    if (failures->restartCount == 0)
        CopyText(failures->firstRestartFile,
                 sizeof(failures->firstRestartFile), target);
    failures->restartCount++;
}

static void NoteFailure(CopyFailures *failures, const char *name)
{
    if (failures == NULL)
        return;
    if (failures->count == 0)
        CopyText(failures->firstFile, sizeof(failures->firstFile), name);
    failures->count++;
}

// The progress bar and the name of the file being copied. Each update
// repaints at once, and at hundreds of small files a second repainting
// took longer than copying, so they are shown at most every
// kProgressInterval milliseconds, and always for the last entry.
struct CopyProgress {
    HWND bar;
    HWND label;
    DWORD lastShown;
    bool shownOnce;
    bool nameWaiting;   // name is newer than what the label shows
    char name[FILE_ENTRY_SIZE];
};

static const DWORD kProgressInterval = 50;

// Shows position and, unless it is NULL, fileName as the file in hand.
static void ShowProgress(CopyProgress *progress, int position,
                         const char *fileName, bool last)
{
    if (fileName != NULL) {
        CopyText(progress->name, sizeof(progress->name), fileName);
        progress->nameWaiting = true;
    }
    DWORD now = GetTickCount();
    if (!last && progress->shownOnce &&
        now - progress->lastShown < kProgressInterval)
        return;
    SendMessageA(progress->bar, PBM_SETPOS, (WPARAM)position, 0);
    if (progress->nameWaiting)
        SetWindowTextA(progress->label, progress->name);
    progress->nameWaiting = false;
    progress->lastShown = now;
    progress->shownOnce = true;
}

// One entry of a batch as planned: its paths, formed and logged before any
// file of the batch is copied.
struct PlannedCopy {
    bool hasFile;     // false: an entry without a file field
    bool usable;      // false: a name or path that does not fit
    char name[FILE_ENTRY_SIZE];   // field 1 as written, for the label
    char folder[PATH_SIZE];
    char target[PATH_SIZE];
    char source[PATH_SIZE];
    char tag[JOURNAL_TAG_SIZE];   // names the temporary and backup files
    bool exists;                  // the target is there: it is kept first
    bool isFolder;                // a folder where the file should go
    bool refused;                 // the target failed the path judgement:
                                  // asked about before the run began
    bool printed;                 // print holds the source's size and time
    FileFingerprint print;
};

// The size and last-write time of source, which the copy gives the new
// file: journaled with its placement, so that a rollback removes only
// that file.
static bool TakeFingerprint(const char *source, FileFingerprint *print)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(source, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    print->size =
        ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    print->writeTime =
        ((unsigned long long)found.ftLastWriteTime.dwHighDateTime << 32) |
        found.ftLastWriteTime.dwLowDateTime;
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Entries planned at once: their log entries and journal lines go to the
// files in one write each. Each write rewrites the whole log section, so
// fewer, larger batches cost less.
static const int kCopyBatch = 256;
static PlannedCopy s_batch[kCopyBatch];

// The folders the entry creates and its placement go into the journal.
// A folder where the file should go is no file to keep or remove: the
// copy fails there and nothing is recorded. Returns false when the
// journal could not take them: the entry is then not copied.
static bool JournalPlannedCopy(PlannedCopy *plan)
{
    char parent[PATH_SIZE];
    CopyText(parent, sizeof(parent), plan->target);
    char *separator = FindLastSeparator(parent);
    if (separator != NULL)
        *separator = '\0';
    if (!JournalNewFolders(parent))
        return false;
    // In a folder of the run's own, a target is at most one an earlier
    // entry put there: no backup is due, the rollback removes it anyway.
    DWORD attributes = IsFolderNewInRun(parent)
                           ? INVALID_FILE_ATTRIBUTES
                           : GetFileAttributesA(plan->target);
    plan->exists = attributes != INVALID_FILE_ATTRIBUTES;
    plan->isFolder = plan->exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return plan->isFolder ||
           JournalFilePlacement(plan->target, plan->tag, plan->exists,
                                plan->printed ? &plan->print : NULL);
}

// Reads and forms an entry and logs the folders it creates and its file.
static void PlanEntry(const FileSectionReader *reader, int index,
                      const char *destinationFolder, int allUsers,
                      PlannedCopy *plan, LogNumbering *paths,
                      LogNumbering *files)
{
    FileEntry entry;
    ReadFileEntry(reader, index, &entry);
    plan->hasFile = entry.fieldCount != 0;
    plan->usable = false;
    plan->refused = false;
    // Only when SectionFiles exceeds the entries present: there is no
    // file, but the entry still takes its progress step.
    if (!plan->hasFile)
        return;
    CopyText(plan->name, sizeof(plan->name), entry.fileName);
    plan->usable = FormDestination(&entry, destinationFolder, allUsers,
                                   plan->folder, sizeof(plan->folder),
                                   plan->target, sizeof(plan->target)) &&
                   FormSource(&entry, allUsers, plan->source,
                              sizeof(plan->source));
    if (plan->usable && JudgeTargetPath(plan->target) != TARGET_PATH_OK) {
        plan->usable = false;
        plan->refused = true;   // asked about before the first change
        return;
    }
    if (plan->usable)
        plan->usable = ChooseSideTag(plan->target, plan->tag,
                                     sizeof(plan->tag));
    plan->printed =
        plan->usable && TakeFingerprint(plan->source, &plan->print);
    if (plan->usable)
        plan->usable = JournalPlannedCopy(plan);
    if (!plan->usable)
        return;   // a name or path that does not fit: nothing is copied
    // The entry's own folder is listed in its place among its parents.
    if (PartBelow(destinationFolder, plan->folder) == NULL ||
        !LogFoldersBelow(destinationFolder, plan->target, paths)) {
        AddLogValue(paths, plan->folder);
        LogFoldersBelow(plan->folder, plan->target, paths);
    }
    AddLogValue(files, plan->target);
}

enum CopyResult { COPIED, COPIED_AT_RESTART, COPY_FAILED };

// The source copied to the temporary name and put in place (see
// transaction/file_replace.h). A failed try leaves no temporary file.
static CopyResult CopyIntoPlace(PlannedCopy *plan, DWORD *error)
{
    // A source that was missing when the batch was planned and is there
    // now (Retry): its placement is journaled again with its fingerprint.
    if (!plan->printed && !plan->isFolder &&
        TakeFingerprint(plan->source, &plan->print)) {
        plan->printed = true;
        if (!JournalFilePlacement(plan->target, plan->tag, plan->exists,
                                  &plan->print) ||
            !FlushJournal()) {
            *error = JournalFailure() != 0 ? JournalFailure()
                                           : (DWORD)ERROR_WRITE_FAULT;
            return COPY_FAILED;
        }
    }
    char temporary[PATH_SIZE];
    char backup[PATH_SIZE];
    FormSidePath(plan->target, plan->tag, ".tmp", temporary,
                 sizeof(temporary));
    FormSidePath(plan->target, plan->tag, ".bak", backup, sizeof(backup));
    // A file that replaces one is flushed before it takes the target's
    // name: the commit deletes the old file's backup, and a power loss
    // after that must find the new bytes. Flushing every new file as well
    // made a run of 999 small files 2.5 times slower (README).
    bool replaces = plan->exists && !plan->isFolder;
    if (!CopyToTemporary(plan->source, temporary, replaces, error)) {
        DeleteFileA(temporary);
        return COPY_FAILED;
    }
    PlacedFile placed = PlaceNewFile(temporary, plan->target, backup,
                                     plan->exists && !plan->isFolder,
                                     error);
    if (placed == PLACE_FAILED) {
        DeleteFileA(temporary);
        return COPY_FAILED;
    }
    return placed == PLACED_NOW ? COPIED : COPIED_AT_RESTART;
}

static void CreateEntryFolders(const PlannedCopy *plan)
{
    CreateFolderPath(plan->folder);
    // A file name may hold subfolders ("sub\\a.txt").
    char parent[PATH_SIZE];
    CopyText(parent, sizeof(parent), plan->target);
    char *separator = FindLastSeparator(parent);
    if (separator != NULL) {
        *separator = '\0';
        if (strcmp(parent, plan->folder) != 0)
            CreateFolderPath(parent);
    }
}

// One try after another while the policy says Retry. Returns false when it
// says Abort.
static bool CopyOrAsk(PlannedCopy *plan, const char *failedName,
                      CopyFailures *failures)
{
    for (;;) {
        DWORD error = 0;
        CopyResult result = plan->usable ? CopyIntoPlace(plan, &error)
                                         : COPY_FAILED;
        if (result != COPY_FAILED) {
            ReportFileCopied(plan->target);
            if (result == COPIED_AT_RESTART)
                NoteRestart(failures, plan->target);
            return true;
        }
        const char *source = plan->usable ? plan->source : "";
        ReportFileNotCopied(source, failedName, error);
        CopyFailureChoice choice =
            s_policy != NULL
                ? s_policy(s_policyContext, source, failedName, error)
                : COPY_FAILURE_IGNORE;
        if (choice == COPY_FAILURE_ABORT) {
            ReportLine("aborted at: %s", failedName);
            return false;
        }
        if (choice == COPY_FAILURE_IGNORE) {
            NoteFailure(failures, failedName);
            return true;
        }
    }
}

static void CarryOutEntry(PlannedCopy *plan, const char *section,
                          CopyProgress *progress, int position, bool last,
                          CopyFailures *failures)
{
    if (!plan->hasFile || plan->refused) {
        ShowProgress(progress, position, NULL, last);
        return;
    }
    if (plan->usable)
        CreateEntryFolders(plan);
    const char *failedName = plan->usable              ? plan->target
                             : plan->name[0] != '\0' ? plan->name
                                                      : section;
    if (!CopyOrAsk(plan, failedName, failures)) {
        s_aborted = true;
        return;
    }
    ShowProgress(progress, position, plan->name, last);
}

// Copies the entries in batches, logging each batch (files and folders)
// before its first file is copied: a run ended at any moment leaves
// nothing on disk that the log does not list. The log ends the same as
// when each entry is logged after its copy.
static void CopyEntries(const FileSectionReader *reader, int count,
                        const char *destinationFolder, int allUsers,
                        CopyProgress *progress, int firstPosition,
                        LogNumbering *paths, LogNumbering *files,
                        CopyFailures *failures)
{
    for (int first = 0; first < count && !s_aborted; first += kCopyBatch) {
        int batch = count - first < kCopyBatch ? count - first : kCopyBatch;
        for (int i = 0; i < batch; i++)
            PlanEntry(reader, first + i, destinationFolder, allUsers,
                      &s_batch[i], paths, files);
        FlushLogList(paths);
        FlushLogList(files);
        // No entry of the batch is copied unless its steps are on disk.
        if (!FlushJournal()) {
            s_aborted = true;
            return;
        }
        for (int i = 0; i < batch && !s_aborted; i++)
            CarryOutEntry(&s_batch[i], reader->section, progress,
                          firstPosition + first + i,
                          first + i == count - 1, failures);
    }
}

// Where a section's shortcuts go, for its log and journal records.
struct ShortcutRecord {
    const char *scriptPath;
    const char *destination;
    int allUsers;
    LogNumbering *files;
};

// Records "folder\title.lnk" of every entry of the section the shortcut
// rule makes, and journals it for Program Manager to make. An unattended
// run journals its link files as it makes them, in the folder it makes
// them in (shortcuts/shortcut_files.h): each link is journaled once.
static void RecordShortcutFiles(const ShortcutRecord *record,
                                const char *section, const char *folder)
{
    static ResolvedShortcut shortcut;   // a kilobyte: kept off the stack
    int count = CountShortcutEntries(record->scriptPath, section);
    for (int index = 0; index < count; index++) {
        if (ReadShortcut(record->scriptPath, section, index,
                         record->destination, folder, record->allUsers,
                         &shortcut) != SHORTCUT_MADE)
            continue;   // not made, so not the run's to remove
        AddLogValue(record->files, shortcut.link);
        if (!g_unattended)
            JournalShortcutFile(shortcut.link);
    }
}

static void RecordShortcuts(const ShortcutRecord *record,
                            const char *groupName,
                            const char *shortcutSection,
                            const char *startupSection, LogNumbering *paths)
{
    char group[PATH_SIZE];
    // Without the Programs folder no shortcut path can be known, and a
    // relative one must not be recorded.
    if (FormGroupFolder(groupName, record->allUsers, group, sizeof(group))) {
        RecordShortcutFiles(record, shortcutSection, group);
        // An empty group name would name the Programs folder itself.
        if (groupName[0] != '\0') {
            AddLogValue(paths, group);
            JournalNewFolders(group);
        }
    }
    if (startupSection == NULL)
        return;
    char startup[PATH_SIZE];
    if (GetShellFolder(startup, sizeof(startup), "Startup", "Common Startup",
                       record->allUsers) > 0)
        RecordShortcutFiles(record, startupSection, startup);
}

// The shortcut files and group folder go into the journal before Program
// Manager is asked for them. Returns false when the journal failed.
static bool RecordShortcutsAhead(const ShortcutRecord *record,
                                 const char *groupName,
                                 const char *shortcutSection,
                                 const char *startupSection,
                                 LogNumbering *paths)
{
    RecordShortcuts(record, groupName, shortcutSection, startupSection,
                    paths);
    return FlushJournal();
}

// ---- Judged before the first change ----

// One failed target, asked about until it passes, is ignored or aborts
// the run. name is what the report and the box show, judged the path the
// judgement reads (the log's file for a log path without a folder).
static bool AskAboutTarget(const char *name, const char *judged,
                           CopyFailures *failures)
{
    for (;;) {
        TargetPathVerdict verdict = JudgeTargetPath(judged);
        if (verdict == TARGET_PATH_OK)
            return true;
        ReportLine("not copied: %s (%s)", name,
                   DescribeTargetPathVerdict(verdict));
        CopyFailureChoice choice =
            s_policy != NULL ? s_policy(s_policyContext, "", name,
                                        ERROR_BAD_PATHNAME)
                             : COPY_FAILURE_IGNORE;
        if (choice == COPY_FAILURE_ABORT) {
            ReportLine("aborted at: %s", name);
            return false;
        }
        if (choice == COPY_FAILURE_IGNORE) {
            NoteFailure(failures, name);
            return true;
        }
    }
}

int JudgeUninstallLogPath(const char *scriptPath, CopyFailures *failures)
{
    char value[PATH_SIZE + 1];
    GetPrivateProfileStringA("UnInstLog", "UnInstLog", "", value,
                             sizeof(value), scriptPath);
    char file[PATH_SIZE];
    // A value too long for a path keeps no log, as ReadUninstallLogPath
    // reads it.
    if (value[0] == '\0' || strlen(value) >= PATH_SIZE ||
        IsUsableLogPath(value))
        return 1;
    if (!ResolveLogFile(value, file, sizeof(file)))
        CopyText(file, sizeof(file), value);
    return AskAboutTarget(value, file, failures) ? 1 : 0;
}

int JudgeSectionTargets(const char *scriptPath, const char *destinationFolder,
                        const char *fileSection, int allUsers,
                        CopyFailures *failures)
{
    FileSectionReader reader;
    OpenFileSection(&reader, scriptPath, fileSection, true);
    ForgetExpandedFields();
    int count = CountEntries(&reader);
    bool aborted = false;
    for (int index = 0; index < count && !aborted; index++) {
        FileEntry entry;
        ReadFileEntry(&reader, index, &entry);
        char folder[PATH_SIZE];
        char target[PATH_SIZE];
        // An entry whose path does not fit fails in the copy, as before.
        if (entry.fieldCount != 0 &&
            FormDestination(&entry, destinationFolder, allUsers, folder,
                            sizeof(folder), target, sizeof(target)))
            aborted = !AskAboutTarget(target, target, failures);
    }
    CloseFileSection(&reader);
    return aborted ? 0 : 1;
}

// Whether the uninstall log is the install script. A log path without a
// folder names a file in the Windows folder, as the profile service takes
// it; a log that does not exist yet is not the script.
static bool LogIsScript(const char *scriptPath, const char *logPath)
{
    char log[PATH_SIZE];
    if (FindLastSeparator(logPath) == NULL && strchr(logPath, ':') == NULL) {
        GetWindowsDirectoryA(log, sizeof(log));
        if (AppendPath(log, sizeof(log), logPath) < 0)
            return true;   // cannot tell: assume the worst
    } else {
        CopyText(log, sizeof(log), logPath);
    }
    if (GetFileAttributesA(log) == INVALID_FILE_ATTRIBUTES)
        return false;
    BY_HANDLE_FILE_INFORMATION scriptFile;
    BY_HANDLE_FILE_INFORMATION logFile;
    if (ReadFileIdentity(scriptPath, &scriptFile) &&
        ReadFileIdentity(log, &logFile))
        return IsOneFile(&scriptFile, &logFile);
    char scriptFull[PATH_SIZE];
    char logFull[PATH_SIZE];
    DWORD scriptLength = GetFullPathNameA(scriptPath, sizeof(scriptFull),
                                          scriptFull, NULL);
    DWORD logLength = GetFullPathNameA(log, sizeof(logFull), logFull, NULL);
    if (scriptLength == 0 || scriptLength >= sizeof(scriptFull) ||
        logLength == 0 || logLength >= sizeof(logFull))
        return true;
    return EqualsAsciiNoCase(scriptFull, logFull);
}

int CopySection(const char *scriptPath, const char *destinationFolder,
                HWND progressBar, HWND fileLabel, const char *groupName,
                const char *fileSection, const char *shortcutSection,
                const char *startupSection, int allUsers,
                CopyFailures *failures)
{
    char logPath[PATH_SIZE];
    ReadUninstallLogPath(scriptPath, logPath, sizeof(logPath));
    char pathSection[LOG_SECTION_SIZE];
    char uninstallSection[LOG_SECTION_SIZE];
    FormPathSectionName(pathSection, sizeof(pathSection), fileSection);
    FormUninstallSectionName(uninstallSection, sizeof(uninstallSection),
                             fileSection);
    LogNumbering paths;
    LogNumbering files;
    // The log lists keep their entries in memory and write them later only
    // when nothing else reads or writes their sections meanwhile: not when
    // the log is the script the entries come from, nor when both lists
    // share one section (a file section name of four characters or fewer).
    bool logIsScript = logPath[0] != '\0' && LogIsScript(scriptPath, logPath);
    bool mayKeepTables =
        !logIsScript && !EqualsAsciiNoCase(pathSection, fileSection);
    OpenLogList(&paths, logPath, pathSection, LOG_PATHS, mayKeepTables);
    OpenLogList(&files, logPath, fileSection, LOG_FILES, mayKeepTables);

    AddLogValue(&paths, destinationFolder);
    FlushLogList(&paths);
    if (!JournalNewFolders(destinationFolder) || !FlushJournal()) {
        CloseLogList(&paths);
        CloseLogList(&files);
        s_aborted = true;
        return 0;
    }
    CreateFolderPath(destinationFolder);

    // A script that is its own log changes while it is read: then every
    // entry is read as it stands at the time.
    FileSectionReader reader;
    OpenFileSection(&reader, scriptPath, fileSection, !logIsScript);
    ForgetExpandedFields();
    int count = CountEntries(&reader);
    int total = (int)GetPrivateProfileIntA(fileSection, "TotalFiles", count,
                                           scriptPath);
    int start = (int)GetPrivateProfileIntA(fileSection, "CountStart", 0,
                                           scriptPath);
    // The range is a pair of 16-bit fields.
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, total & 0xFFFF));
    if (logPath[0] != '\0')
        WritePrivateProfileStringA(uninstallSection, "PATH",
                                   destinationFolder, logPath);

    CopyProgress progress = {};
    progress.bar = progressBar;
    progress.label = fileLabel;
    CopyEntries(&reader, count, destinationFolder, allUsers, &progress,
                start + 1, &paths, &files, failures);
    CloseFileSection(&reader);
    ReportSectionCopied(fileSection);
    if (s_aborted) {
        CloseLogList(&paths);
        CloseLogList(&files);
        return 0;
    }

    ShortcutRecord record = {scriptPath, destinationFolder, allUsers,
                             &files};
    bool recorded = RecordShortcutsAhead(&record, groupName, shortcutSection,
                                         startupSection, &paths);
    CloseLogList(&paths);
    CloseLogList(&files);
    return recorded ? 1 : 0;
}

void VisitSectionFiles(const char *scriptPath, const char *destinationFolder,
                       const char *fileSection, int allUsers,
                       SectionFileVisitor visit, void *context)
{
    FileSectionReader reader;
    OpenFileSection(&reader, scriptPath, fileSection, true);
    ForgetExpandedFields();
    int count = CountEntries(&reader);
    for (int index = 0; index < count; index++) {
        FileEntry entry;
        ReadFileEntry(&reader, index, &entry);
        char folder[PATH_SIZE];
        char target[PATH_SIZE];
        char source[PATH_SIZE];
        if (FormDestination(&entry, destinationFolder, allUsers, folder,
                            sizeof(folder), target, sizeof(target)) &&
            FormSource(&entry, allUsers, source, sizeof(source)))
            visit(context, source, target);
    }
    CloseFileSection(&reader);
}

static void SetTargetAttributes(void *context, const char *,
                                const char *target)
{
    SetFileAttributesA(target, *(const DWORD *)context);
}

int SetSectionAttributes(const char *scriptPath,
                         const char *destinationFolder,
                         const char *fileSection, DWORD attributes,
                         int allUsers)
{
    VisitSectionFiles(scriptPath, destinationFolder, fileSection, allUsers,
                      SetTargetAttributes, &attributes);
    return 1;
}
