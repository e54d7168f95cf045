// The install run as a transaction: the journal is written ahead of every
// step (transaction/journal_writer), the commit drops the backups, the rollback
// walks the journal backwards. Every undo step looks at what is there, so
// a rollback that is killed and run again does only what is left.
#include "transaction/transaction.h"

#include <stdio.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/log/journal.h"
#include "core/log/log_names.h"
#include "core/log/log_reader.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "log/log_files.h"
#include "log/uninstall_log.h"
#include "removal/file_remove.h"
#include "removal/progman_remove.h"
#include "transaction/file_replace.h"
#include "transaction/journal_judge.h"
#include "transaction/journal_writer.h"
#include "transaction/registry_journal.h"

// ---- Writing the journal ----

// The folders recorded lately: the entries of a batch mostly share one.
static const int kRecentFolders = 32;
static char s_recentFolders[kRecentFolders][PATH_SIZE];
static int s_recentNext;
// Of those, the ones this run created.
static bool s_recentCreated[kRecentFolders];
static JournalStep s_step;

static bool AddPathStep(JournalStepKind kind, const char *path,
                        const char *tag);

// The log's folder, made when it is missing: a script may keep its log in
// the destination, which the run itself creates. *outermost is the first
// folder made ("" when none was). Returns false when it cannot be made.
static bool MakeLogFolder(const char *logFile, char *outermost, size_t size)
{
    outermost[0] = '\0';
    char folder[PATH_SIZE];
    CopyText(folder, sizeof(folder), logFile);
    char *separator = FindLastSeparator(folder);
    if (separator == NULL)
        return true;
    *separator = '\0';
    if (PathExists(folder))
        return true;
    char probe[PATH_SIZE];
    CopyText(probe, sizeof(probe), folder);
    CopyText(outermost, size, folder);
    for (;;) {
        char *cut = FindLastSeparator(probe);
        if (cut == NULL)
            break;
        *cut = '\0';
        if (probe[0] == '\0' || PathExists(probe) ||
            strchr(probe, '\\') == NULL)
            break;
        CopyText(outermost, size, probe);
    }
    CreateFolderPath(folder);
    return PathExists(folder);
}

// The folders made for the log go into the journal as the run's first
// steps, outermost first, so that the log lists them as created.
static bool JournalLogFolders(const char *logFile, const char *outermost)
{
    size_t start = strlen(outermost);
    char folder[PATH_SIZE];
    CopyText(folder, sizeof(folder), logFile);
    *FindLastSeparator(folder) = '\0';
    for (char *p = folder + start;; p = NextChar(p)) {
        if (*p != '\\' && *p != '\0')
            continue;
        char kept = *p;
        *p = '\0';
        bool added = AddPathStep(STEP_FOLDER, folder, NULL);
        *p = kept;
        if (!added || kept == '\0')
            return added && FlushJournal();
    }
}

// Removes the empty folders from the log's own up to outermost, once the
// rollback took the log and its journal out of them.
static void RemoveLogFolders(const char *logPath, const char *outermost)
{
    char folder[PATH_SIZE];
    size_t length = strlen(outermost);
    if (length == 0 || !ResolveLogFile(logPath, folder, sizeof(folder)) ||
        strncmp(folder, outermost, length) != 0)
        return;
    for (char *cut = FindLastSeparator(folder);
         cut != NULL && (size_t)(cut - folder) >= length;
         cut = FindLastSeparator(folder)) {
        *cut = '\0';
        if (!RemoveEmptyFolder(folder))
            return;
    }
}

static void UndoBegin(const char *logPath, const char *outermost)
{
    CloseJournal();
    RemoveJournal(logPath);
    RemoveLogFolders(logPath, outermost);
}

bool BeginTransaction(const char *logPath, DWORD *error)
{
    memset(s_recentFolders, 0, sizeof(s_recentFolders));
    memset(s_recentCreated, 0, sizeof(s_recentCreated));
    s_recentNext = 0;
    char logFile[PATH_SIZE];
    char backup[PATH_SIZE];
    char outermost[PATH_SIZE] = "";
    bool resolved = logPath[0] != '\0' &&
                    ResolveLogFile(logPath, logFile, sizeof(logFile));
    bool existed = resolved && IsFile(logFile);
    if (resolved && !MakeLogFolder(logFile, outermost, sizeof(outermost))) {
        *error = GetLastError();
        return false;
    }
    // The journal first: it refuses to start over another run's, whose
    // log backup must then stay as it is.
    if (!OpenJournal(logPath, existed, outermost, error)) {
        RemoveLogFolders(logPath, outermost);
        return false;
    }
    if (outermost[0] != '\0' && !JournalLogFolders(logFile, outermost)) {
        *error = JournalFailure();
        UndoBegin(logPath, outermost);
        return false;
    }
    if (!existed)
        return true;
    // A copy, not a rename: the run goes on writing the log. Without it a
    // rollback could not give the log back, so the run does not start.
    if (!FormLogBackupPath(logFile, backup, sizeof(backup))) {
        *error = ERROR_FILENAME_EXCED_RANGE;
    } else if (CopyFileA(logFile, backup, FALSE)) {
        SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
        return true;
    } else {
        *error = GetLastError();
        DeleteFileA(backup);
    }
    UndoBegin(logPath, outermost);
    return false;
}

static int FindRecentFolder(const char *folder)
{
    for (int i = 0; i < kRecentFolders; i++)
        if (strcmp(s_recentFolders[i], folder) == 0)
            return i;
    return -1;
}

static bool RecentlyRecorded(const char *folder)
{
    return FindRecentFolder(folder) >= 0;
}

static void RememberFolder(const char *folder, bool created)
{
    CopyText(s_recentFolders[s_recentNext], PATH_SIZE, folder);
    s_recentCreated[s_recentNext] = created;
    s_recentNext = (s_recentNext + 1) % kRecentFolders;
}

bool IsFolderNewInRun(const char *folder)
{
    int index = FindRecentFolder(folder);
    return IsJournalOpen() && index >= 0 && s_recentCreated[index];
}

static bool AddPathStep(JournalStepKind kind, const char *path,
                        const char *tag)
{
    memset(&s_step, 0, sizeof(s_step));
    s_step.kind = kind;
    if (CopyText(s_step.path, sizeof(s_step.path), path) != strlen(path) ||
        (tag != NULL &&
         CopyText(s_step.tag, sizeof(s_step.tag), tag) != strlen(tag)))
        return false;
    return AddJournalStep(&s_step);
}

bool JournalNewFolders(const char *folder)
{
    if (!IsJournalOpen() || RecentlyRecorded(folder))
        return !HasJournalFailed();
    char path[PATH_SIZE];
    if (CopyText(path, sizeof(path), folder) != strlen(folder))
        return false;
    // The lengths of the missing folders, innermost first.
    static const int kDepth = 64;
    size_t lengths[kDepth];
    int missing = 0;
    size_t length = strlen(path);
    while (missing < kDepth && length > 0) {
        path[length] = '\0';
        if (PathExists(path))
            break;
        lengths[missing++] = length;
        const char *separator = FindLastSeparator(path);
        if (separator == NULL)
            break;
        length = (size_t)(separator - path);
    }
    for (int i = missing - 1; i >= 0; i--) {
        memcpy(path, folder, lengths[i]);
        path[lengths[i]] = '\0';
        if (RecentlyRecorded(path))
            continue;
        // A folder not recorded is not remembered: it is not the run's.
        if (!AddPathStep(STEP_FOLDER, path, NULL))
            return false;
        RememberFolder(path, true);
    }
    if (!RecentlyRecorded(folder))
        RememberFolder(folder, false);
    return true;
}

bool JournalFilePlacement(const char *target, const char *tag, bool exists,
                          const FileFingerprint *print)
{
    if (!IsJournalOpen())
        return true;
    memset(&s_step, 0, sizeof(s_step));
    s_step.kind = exists ? STEP_REPLACE : STEP_FILE;
    if (CopyText(s_step.path, sizeof(s_step.path), target) != strlen(target) ||
        CopyText(s_step.tag, sizeof(s_step.tag), tag) != strlen(tag))
        return false;
    if (print != NULL) {
        s_step.printed = true;
        s_step.fileSize = print->size;
        s_step.writeTime = print->writeTime;
    }
    return AddJournalStep(&s_step);
}

// A shortcut file that is there already (another product's, or the user's,
// of the same name) is kept like any replaced file: copied to a backup
// name beside it once its step is on disk, so a rollback puts it back
// and the commit drops the copy. Returns false when it cannot be kept:
// then the shortcut must not be written over.
static bool BackUpShortcutFile(const char *link)
{
    char tag[JOURNAL_TAG_SIZE];
    char backup[PATH_SIZE];
    if (ChooseSideTag(link, tag, sizeof(tag)) &&
        FormSidePath(link, tag, ".bak", backup, sizeof(backup)) &&
        AddPathStep(STEP_REPLACE, link, tag) && FlushJournal() &&
        CopyFileA(link, backup, FALSE))
        return true;
    ReportLine("rollback: the shortcut %s cannot be kept", link);
    return false;
}

bool JournalShortcutFile(const char *link)
{
    if (!IsJournalOpen())
        return !HasJournalFailed();
    if (IsFile(link))
        return BackUpShortcutFile(link);
    if (PathExists(link))
        return !HasJournalFailed();
    return AddPathStep(STEP_LINK, link, NULL);
}

// ---- Undoing ----

// Every step is judged (transaction/journal_judge.h) before anything it names
// is touched; the judge of the rollback or commit under way.
static StepJudge s_judge;

// The temporary file of a placement: its restart rename taken back, then
// deleted.
static bool RemoveTemporary(const char *target, const char *tag)
{
    char temporary[PATH_SIZE];
    if (!FormSidePath(target, tag, ".tmp", temporary, sizeof(temporary)))
        return false;
    bool cancelled = CancelScheduledRename(temporary);
    if (!PathExists(temporary))
        return cancelled;
    SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL);
    bool deleted = DeleteFileA(temporary) != 0;
    ReportLine("undone: file %s %s", temporary,
               deleted ? "removed" : "NOT removed");
    return cancelled && deleted;
}

static bool UndoNewFile(const JournalStep *step)
{
    bool temporaryGone = RemoveTemporary(step->path, step->tag);
    if (!PathExists(step->path))
        return temporaryGone;
    // A file of that name the run did not write (its size or time differ)
    // was there before, or came later: not the run's to remove.
    if (!IsFileTheRunWrote(step, step->path)) {
        RefuseJournalStep(&s_judge, step, "not the file setup wrote");
        return false;
    }
    FileRemoval removal = RemoveFileOrSchedule(step->path);
    ReportLine("undone: file %s %s", step->path,
               removal == FILE_GONE        ? "removed"
               : removal == FILE_SCHEDULED ? "removed at the next restart"
                                           : "NOT removed");
    return temporaryGone && removal != FILE_KEPT;
}

// A run killed after the old file got its backup name and before the new
// file took its place leaves the target as the old file. On the NT family
// the backup is then a second name of that file: only the name goes (a
// rename of one name over the other would leave both). Where the volume
// has no links the backup is a copy with the old file's size and time,
// and it is put back over the target as any backup is.
enum BackupMatch { BACKUP_OTHER, BACKUP_SECOND_NAME, BACKUP_COPY };

static BackupMatch MatchBackupToTarget(const char *target, const char *backup)
{
    BY_HANDLE_FILE_INFORMATION now, kept;
    if (!ReadFileIdentity(target, &now) || !ReadFileIdentity(backup, &kept))
        return BACKUP_OTHER;
    if (IsOneFile(&now, &kept))
        return BACKUP_SECOND_NAME;
    bool sameSize = now.nFileSizeHigh == kept.nFileSizeHigh &&
                    now.nFileSizeLow == kept.nFileSizeLow;
    const FILETIME &a = now.ftLastWriteTime, &b = kept.ftLastWriteTime;
    bool sameTime = a.dwLowDateTime == b.dwLowDateTime &&
                    a.dwHighDateTime == b.dwHighDateTime;
    return sameSize && sameTime ? BACKUP_COPY : BACKUP_OTHER;
}

static bool DropSecondName(const char *target, const char *backup)
{
    SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
    bool dropped = DeleteFileA(backup) != 0;
    ReportLine("undone: file %s %s", target,
               dropped ? "kept (it was not yet replaced)" : "NOT restored");
    return dropped;
}

static bool UndoReplacement(const JournalStep *step)
{
    bool temporaryGone = RemoveTemporary(step->path, step->tag);
    char backup[PATH_SIZE];
    if (!FormSidePath(step->path, step->tag, ".bak", backup, sizeof(backup)))
        return false;
    if (!IsFile(backup))
        return temporaryGone;   // never moved, or already back
    if (IsFollowedLink(backup)) {
        RefuseJournalStep(&s_judge, step, "its backup is a link");
        return false;
    }
    BackupMatch match = MatchBackupToTarget(step->path, backup);
    if (match == BACKUP_SECOND_NAME)
        return DropSecondName(step->path, backup) && temporaryGone;
    if (match == BACKUP_OTHER && PathExists(step->path) &&
        !IsFileTheRunWrote(step, step->path)) {
        RefuseJournalStep(&s_judge, step,
                          "not the file setup wrote; the backup is kept");
        return false;
    }
    if (PathExists(step->path)) {
        SetFileAttributesA(step->path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(step->path);
    }
    bool restored = MoveFileOver(backup, step->path);
    ReportLine("undone: file %s %s", step->path,
               restored ? "restored" : "NOT restored");
    return temporaryGone && restored;
}

static bool UndoFolder(const char *path)
{
    if (!PathExists(path))
        return true;
    bool gone = RemoveEmptyFolder(path);
    ReportLine("undone: folder %s %s", path,
               gone ? "removed" : "kept (not empty)");
    return true;   // a folder holding someone's files stays, rightly
}

// Shortcuts waiting to be deleted through Program Manager: a run of link
// steps goes in one conversation. An unattended run deletes them as files
// only: ShowGroup, which DeleteItem needs, opens a window on the group.
static LogValueList s_links;

static bool UndoWaitingLinks()
{
    if (s_links.count == 0)
        return true;
    if (!g_unattended)
        DeleteThroughProgman(&s_links);
    bool all = true;
    for (int i = 0; i < s_links.count; i++) {
        const char *link = s_links.values[i];
        FileRemoval removal = RemoveFileOrSchedule(link);
        ReportLine("undone: shortcut %s %s", link,
                   removal != FILE_KEPT ? "removed" : "NOT removed");
        all = all && removal != FILE_KEPT;
    }
    s_links.count = 0;
    return all;
}

// A shortcut is journaled once, ahead of its section; journals of earlier
// versions hold it a second time, from when it was made: one removal, and
// one report line, is enough.
static bool IsWaitingLink(const char *path)
{
    for (int i = 0; i < s_links.count; i++)
        if (strcmp(s_links.values[i], path) == 0)
            return true;
    return false;
}

struct RollbackState {
    int steps;
    int left;       // steps that could not be undone
    int unreadable; // lines that are no step
};

static bool UndoStep(const JournalStep *step)
{
    switch (step->kind) {
    case STEP_FILE:
        return UndoNewFile(step);
    case STEP_REPLACE:
        return UndoReplacement(step);
    case STEP_FOLDER:
        return UndoFolder(step->path);
    case STEP_LINK:
        return true;   // gathered by the caller
    case STEP_KEY:
    case STEP_VALUE:
        return UndoRegistryStep(step);
    }
    return false;
}

static void UndoJournalLine(void *context, const char *line)
{
    RollbackState *state = (RollbackState *)context;
    static JournalStep step;
    state->steps++;
    if (!ParseJournalStep(line, &step)) {
        state->unreadable++;
        ReportLine("rollback: journal line not understood, skipped");
        return;
    }
    if (!AdmitJournalStep(&s_judge, &step)) {
        state->left++;
        return;
    }
    if (step.kind == STEP_LINK) {
        if (!IsWaitingLink(step.path))
            AddLoggedValue(&s_links, step.path, strlen(step.path));
        return;
    }
    if (!UndoWaitingLinks())
        state->left++;
    if (!UndoStep(&step))
        state->left++;
}

// The log back as it was before the run: its copy put back, or, when
// there was none before, the log removed.
static bool RestoreLog(const char *logPath)
{
    char logFile[PATH_SIZE];
    char backup[PATH_SIZE];
    if (!ResolveLogFile(logPath, logFile, sizeof(logFile)) ||
        !FormLogBackupPath(logFile, backup, sizeof(backup)))
        return false;
    if (IsFile(backup)) {
        bool restored = MoveFileOver(backup, logFile);
        ReportLine("undone: log %s %s", logFile,
                   restored ? "restored" : "NOT restored");
        return restored;
    }
    // Kept before the run, but not copied: it stays as it is.
    if (ReadTransactionNumber(logPath, "LogExisted") != 0)
        return true;
    if (!PathExists(logFile))
        return true;
    SetFileAttributesA(logFile, FILE_ATTRIBUTE_NORMAL);
    bool gone = DeleteFileA(logFile) != 0;
    ReportLine("undone: log %s %s", logFile, gone ? "removed" : "NOT removed");
    return gone;
}

// The journal decides, not the log: a run killed while it wrote the log
// may have left the log cut short or empty.
bool IsInterruptedLog(const char *logPath)
{
    return logPath[0] != '\0' &&
           ReadTransactionState(logPath) == TRANSACTION_IN_PROGRESS;
}

// Whether the journal records creating the log's uninstall entry: a
// pass over it before the first undo. context: the judge.
static void NoteCreatedEntry(void *context, const char *line)
{
    bool *created = (bool *)context;
    static JournalStep step;
    if (ParseJournalStep(line, &step) && step.kind == STEP_KEY &&
        IsEntryStep(&s_judge, &step))
        *created = true;
}

static void OpenJournalJudge(const char *logPath)
{
    OpenStepJudge(&s_judge, logPath, false);
    bool created = false;
    if (s_judge.scope.entryKey[0] != '\0') {
        VisitJournalBackwards(logPath, NoteCreatedEntry, &created);
        if (created)
            OpenStepJudge(&s_judge, logPath, true);
    }
}

InstallOutcome RollBackInstallation(const char *logPath)
{
    // A run of this process that is still open stops writing: what it
    // wrote is what is undone.
    if (IsJournalOpen())
        CloseJournal();
    ReportLine("rollback: %s", logPath);
    RollbackState state = {0, 0, 0};
    s_links.count = 0;
    OpenJournalJudge(logPath);
    int lines = VisitJournalBackwards(logPath, UndoJournalLine, &state);
    if (!UndoWaitingLinks())
        state.left++;
    if (lines < 0 || state.left > 0 || !RestoreLog(logPath)) {
        ReportLine("rollback: %d of %d step(s) could not be undone; the log "
                   "is kept for another try",
                   state.left, state.steps);
        return INSTALL_ROLLBACK_LEFT;
    }
    // The journal goes last: a rollback cut short before it is done again.
    char logFolder[PATH_SIZE];
    ReadTransactionText(logPath, "CreatedLogFolder", logFolder,
                        sizeof(logFolder));
    RemoveJournal(logPath);
    RemoveLogFolders(logPath, logFolder);
    ReportLine("rollback: done, %d step(s) undone", state.steps);
    return INSTALL_ROLLED_BACK;
}

// ---- Committing ----

static void DropBackup(void *, const char *line)
{
    static JournalStep step;
    if (!ParseJournalStep(line, &step) || step.kind != STEP_REPLACE ||
        !AdmitJournalStep(&s_judge, &step))
        return;
    char backup[PATH_SIZE];
    if (!FormSidePath(step.path, step.tag, ".bak", backup, sizeof(backup)))
        return;
    // Most backups go at the first try; only one that stays is looked at.
    if (DeleteFileA(backup) || !IsFile(backup))
        return;
    SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(backup))
        ScheduleDeletion(backup);
}

// Once the log says complete: the backups and the journal go, the journal
// last, so that a finish cut short is found and done again.
static bool FinishCommit(const char *logPath)
{
    OpenStepJudge(&s_judge, logPath, false);
    VisitJournalBackwards(logPath, DropBackup, NULL);
    char logFile[PATH_SIZE];
    char backup[PATH_SIZE];
    if (ResolveLogFile(logPath, logFile, sizeof(logFile)) &&
        FormLogBackupPath(logFile, backup, sizeof(backup)) && IsFile(backup)) {
        SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(backup);
    }
    // A step refused is named; the journal stays, so that it is seen.
    if (s_judge.refused > 0)
        return false;
    RemoveJournal(logPath);
    return true;
}

bool FinishCutCommit(const char *logPath)
{
    if (logPath[0] == '\0' ||
        ReadTransactionState(logPath) != TRANSACTION_COMPLETE)
        return false;
    if (FinishCommit(logPath))
        ReportLine("recovery: the commit of an earlier run was finished (%s)",
                   logPath);
    else
        ReportLine("recovery: the commit of an earlier run was finished in "
                   "part; its journal is kept (%s)",
                   logPath);
    return true;
}

static void ListCreatedFolder(void *context, const char *line)
{
    static JournalStep step;
    if (ParseJournalStep(line, &step) && step.kind == STEP_FOLDER)
        AddLogValue((LogNumbering *)context, step.path);
}

// The log lists the folders the run created, and only those, so that the
// uninstaller removes them and guesses at no other. The journal knows them
// until the commit drops it. Only a whole list says it is complete.
static void ListCreatedFolders(const char *logPath)
{
    if (!FlushJournal())
        return;   // the commit fails on the same journal
    LogNumbering list;
    OpenLogList(&list, logPath, CREATED_FOLDERS_SECTION, LOG_PATHS, true);
    int lines = VisitJournalBackwards(logPath, ListCreatedFolder, &list);
    CloseLogList(&list);
    if (lines >= 0)
        WritePrivateProfileStringA(CREATED_FOLDERS_SECTION,
                                   CREATED_FOLDERS_COMPLETE, "1", logPath);
}

// What the run wrote reaches the disk before the journal says complete:
// after that nothing can be undone, and a power loss must not take back
// what the commit claims.
static void FlushRunToDisk()
{
    FlushJournaledKeys();
    FlushScheduledRenames();
}

InstallOutcome CommitTransaction()
{
    if (!IsJournalOpen())
        return INSTALL_COMMITTED;
    char logPath[PATH_SIZE];
    CopyText(logPath, sizeof(logPath), JournalLogPath());
    ListCreatedFolders(logPath);
    FlushRunToDisk();
    if (!CloseJournal() || !WriteTransactionState(logPath, kStateComplete)) {
        ReportLine("commit: the journal %s cannot be marked complete; the "
                   "run is rolled back",
                   logPath);
        return RollBackInstallation(logPath);
    }
    FinishCommit(logPath);
    return INSTALL_COMMITTED;
}

int RecoverInterruptedRun(const char *scriptPath)
{
    char logPath[PATH_SIZE];
    ReadUninstallLogPath(scriptPath, logPath, sizeof(logPath));
    if (logPath[0] == '\0')
        return 0;
    if (IsInterruptedLog(logPath)) {
        // Each step is a line: one that cannot be undone is named.
        InstallOutcome outcome = RollBackInstallation(logPath);
        char journal[PATH_SIZE];
        FormJournalName(logPath, journal, sizeof(journal));
        if (outcome == INSTALL_ROLLED_BACK)
            ReportLine("recovery: an interrupted earlier run was rolled "
                       "back (%s)",
                       logPath);
        else
            ReportLine("recovery: an interrupted earlier run could be "
                       "rolled back only in part; its journal %s is kept, "
                       "and setup does not start until a rollback completes",
                       journal);
        return outcome;
    }
    if (FinishCutCommit(logPath) && HasJournal(logPath))
        return INSTALL_ROLLBACK_LEFT;
    return 0;
}
