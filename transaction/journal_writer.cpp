#include "transaction/journal_writer.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/platform.h"
#include "core/log/journal_names.h"
#include "core/text/dbcs.h"
#include "log/log_files.h"

static const char kTransactionSection[] = "Transaction";
static const int kMaxJournalSections = 999;

// The steps not yet in the file, as they are appended to it (see
// FormatJournalEntry), and the size of the section being filled as a
// section read gives it back ("N:CHECK=line" and a NUL per entry).
struct JournalWriter {
    char logPath[PATH_SIZE];
    bool open;
    int sectionIndex;   // from 1; 0 before the first step
    int stepNumber;     // key of the next step, over all sections
    size_t sectionLength;
    char pending[JOURNAL_SECTION_SIZE];
    size_t pendingLength;
    DWORD failure;      // the first write that failed; ERROR_SUCCESS
};

static JournalWriter s_journal;

// The journal lives in a file of its own beside the log ("LOG.jnl"): a
// profile write rewrites a whole file from its start, and a run killed in
// the middle of a write to the log would take the journal and its state
// with it. The journal file is only ever replaced whole, by a copy that
// was written and flushed first ("LOG.jnl.tmp").
static bool FormJournalPaths(const char *logPath, char *journal,
                             char *copy, size_t size)
{
    return FormLogSidePath(logPath, ".jnl", journal, size) &&
           FormLogSidePath(logPath, kJournalCopyExtension, copy, size);
}

// The journal file to read: on the 95 family the replacement is a delete,
// then a rename, and a run killed between them leaves the whole new
// journal under the copy's name.
static bool FindJournalFile(const char *logPath, char *file, size_t size)
{
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (!FormJournalPaths(logPath, journal, copy, sizeof(journal)))
        return false;
    if (IsFile(journal))
        return CopyText(file, size, journal) == strlen(journal);
    if (IsFile(copy))
        return CopyText(file, size, copy) == strlen(copy);
    return false;
}

// Another program may read the journal for a moment without sharing it (a
// virus scanner, an indexer, a backup agent): opening it for writing,
// putting the copy over it and deleting it are tried again for about two
// seconds before the journal counts as failed.
static const int kHeldTries = 40;
static const DWORD kHeldPauseMs = 50;

static bool MayBeHeldForAMoment(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

static HANDLE OpenForWriting(const char *path)
{
    for (int tried = 1;; tried++) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || tried == kHeldTries ||
            !MayBeHeldForAMoment(GetLastError()))
            return file;
        Sleep(kHeldPauseMs);
    }
}

static bool MoveOverJournal(const char *copy, const char *journal)
{
    for (int tried = 1;; tried++) {
        if (MoveFileOver(copy, journal))
            return true;
        if (tried == kHeldTries || !MayBeHeldForAMoment(GetLastError()))
            return false;
        Sleep(kHeldPauseMs);
    }
}

static void DeleteJournalFile(const char *path)
{
    for (int tried = 1; !DeleteFileA(path); tried++) {
        if (tried == kHeldTries || !MayBeHeldForAMoment(GetLastError()))
            return;
        Sleep(kHeldPauseMs);
    }
}

// Makes the data reach the disk before the copy replaces the journal, so
// that a power loss leaves the old journal or the whole new one.
static void FlushToDisk(const char *path)
{
    HANDLE file = OpenForWriting(path);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(file);
    CloseHandle(file);
}

typedef BOOL (*JournalChange)(const char *file, const void *context);

// The entries of a journal file, counted by their '=' (a path may hold one
// too, but the journal and its copy hold the same paths): the profile
// service rewrites the whole file on every write, blank lines and blanks
// around the '=' as it likes, but keeps every entry. -1 when unreadable.
static LONGLONG CountEntries(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    LONGLONG count = 0;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        for (DWORD i = 0; i < got; i++)
            count += buffer[i] == '=';
    CloseHandle(file);
    return count;
}

// Whether the copy holds the state written and every entry of the journal
// it replaces: a profile write on a full volume may leave a file cut short
// and still say it succeeded.
static bool IsWholeCopy(const char *copy, LONGLONG journalEntries,
                        const char *state)
{
    char read[32];
    GetPrivateProfileStringA(kTransactionSection, "State", "", read,
                             sizeof(read), copy);
    return strcmp(read, state) == 0 && CountEntries(copy) >= journalEntries;
}

// Applies change to a copy of the journal and puts the copy in its place;
// state is the State the copy must then hold. A failure leaves the journal
// as it was and no copy (but on the 95 family once the journal is deleted:
// the copy is then the whole journal and stays).
static bool ChangeJournal(const char *logPath, JournalChange change,
                          const void *context, const char *state,
                          DWORD *error)
{
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    *error = ERROR_FILENAME_EXCED_RANGE;
    if (!FormJournalPaths(logPath, journal, copy, sizeof(journal)))
        return false;
    LONGLONG journalEntries = 0;
    if (IsFile(journal)) {
        journalEntries = CountEntries(journal);
        if (!CopyFileA(journal, copy, FALSE)) {
            *error = GetLastError();
            DeleteFileA(copy);
            return false;
        }
        SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
    } else if (IsFile(copy)) {
        // A copy without a journal is the whole journal of a replacement
        // cut short; it goes on.
        journalEntries = CountEntries(copy);
    }
    SetLastError(ERROR_SUCCESS);
    bool written = change(copy, context) &&
                   IsWholeCopy(copy, journalEntries, state);
    if (written) {
        FlushToDisk(copy);
        written = MoveOverJournal(copy, journal);
    }
    if (!written) {
        *error = GetLastError() != ERROR_SUCCESS ? GetLastError()
                                                 : (DWORD)ERROR_DISK_FULL;
        if (IsFile(journal))
            DeleteFileA(copy);
        return false;
    }
    *error = ERROR_SUCCESS;
    return true;
}

struct StateChange {
    const char *key;
    const char *value;
};

static BOOL WriteStateKey(const char *file, const void *context)
{
    const StateChange *change = (const StateChange *)context;
    return WritePrivateProfileStringA(kTransactionSection, change->key,
                                      change->value, file);
}

struct SectionChange {
    const char *name;
    const char *lines;
};

static BOOL WriteSectionLines(const char *file, const void *context)
{
    const SectionChange *change = (const SectionChange *)context;
    return WritePrivateProfileSectionA(change->name, change->lines, file);
}

static void ReadStateText(const char *logPath, char *state, size_t size)
{
    char file[PATH_SIZE];
    state[0] = '\0';
    if (FindJournalFile(logPath, file, sizeof(file)))
        GetPrivateProfileStringA(kTransactionSection, "State", "", state,
                                 (DWORD)size, file);
}

static bool ChangeTransactionKey(const char *logPath, const char *key,
                                 const char *value, DWORD *error)
{
    StateChange change = {key, value};
    char state[32];
    if (strcmp(key, "State") == 0)
        CopyText(state, sizeof(state), value);
    else
        ReadStateText(logPath, state, sizeof(state));
    return ChangeJournal(logPath, WriteStateKey, &change, state, error);
}

bool WriteTransactionKey(const char *logPath, const char *key,
                         const char *value)
{
    DWORD error;
    return ChangeTransactionKey(logPath, key, value, &error);
}

int ReadTransactionNumber(const char *logPath, const char *key)
{
    char file[PATH_SIZE];
    if (!FindJournalFile(logPath, file, sizeof(file)))
        return 0;
    return (int)GetPrivateProfileIntA(kTransactionSection, key, 0, file);
}

void ReadTransactionText(const char *logPath, const char *key, char *text,
                         size_t size)
{
    char file[PATH_SIZE];
    text[0] = '\0';
    if (FindJournalFile(logPath, file, sizeof(file)))
        GetPrivateProfileStringA(kTransactionSection, key, "", text,
                                 (DWORD)size, file);
}

bool WriteTransactionState(const char *logPath, const char *state)
{
    return WriteTransactionKey(logPath, "State", state);
}

TransactionState ReadTransactionState(const char *logPath)
{
    char state[32];
    ReadStateText(logPath, state, sizeof(state));
    return ParseTransactionState(state);
}

// A journal left by an earlier run of the same log was rolled back or
// committed before this one started, and its steps must not mix in. One
// that did not finish is another run's, live or stranded: never touched.
// Whether path names something this program never makes there: a folder,
// or a read-only file (some systems delete or replace those regardless).
static bool IsForeignThing(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

static bool ClearEarlierJournal(const char *logPath, const char *journal,
                                const char *copy, DWORD *error)
{
    if (IsForeignThing(journal) || IsForeignThing(copy)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (HasJournal(logPath)) {
        TransactionState state = ReadTransactionState(logPath);
        if (state == TRANSACTION_IN_PROGRESS ||
            state == TRANSACTION_UNKNOWN) {
            *error = ERROR_ALREADY_EXISTS;
            return false;
        }
        RemoveJournal(logPath);
    }
    // A file that could not be removed is not replaced either.
    if (GetFileAttributesA(journal) != INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesA(copy) != INVALID_FILE_ATTRIBUTES) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

// Appends "key=value" and its NUL to the section lines at *length.
static bool AddLine(char *lines, size_t size, size_t *length, const char *key,
                    const char *value)
{
    int added = snprintf(lines + *length, size - *length, "%s=%s", key, value);
    if (added < 0 || *length + (size_t)added + 2 > size)
        return false;
    *length += (size_t)added + 1;
    lines[*length] = '\0';
    return true;
}

static bool StartJournal(const char *logPath, bool logExisted,
                         const char *createdFolder, DWORD *error)
{
    // Every key in one replacement of the file: "State=...", NUL,
    // "LogExisted=1", NUL, ..., NUL.
    char lines[PATH_SIZE + 64];
    size_t length = 0;
    lines[0] = '\0';
    if (!AddLine(lines, sizeof(lines), &length, "State", kStateInProgress) ||
        (logExisted &&
         !AddLine(lines, sizeof(lines), &length, "LogExisted", "1")) ||
        (createdFolder[0] != '\0' &&
         !AddLine(lines, sizeof(lines), &length, "CreatedLogFolder",
                  createdFolder))) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    SectionChange change = {kTransactionSection, lines};
    if (ChangeJournal(logPath, WriteSectionLines, &change, kStateInProgress,
                      error))
        return true;
    // Nothing was changed yet: no half-made journal may stay to be taken
    // for a run's.
    RemoveJournal(logPath);
    return false;
}

bool OpenJournal(const char *logPath, bool logExisted,
                 const char *createdFolder, DWORD *error)
{
    memset(&s_journal, 0, sizeof(s_journal));
    *error = ERROR_SUCCESS;
    if (logPath[0] == '\0')
        return true;
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (CopyText(s_journal.logPath, sizeof(s_journal.logPath), logPath) !=
            strlen(logPath) ||
        !FormJournalPaths(logPath, journal, copy, sizeof(journal))) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    if (!ClearEarlierJournal(logPath, journal, copy, error) ||
        !StartJournal(logPath, logExisted, createdFolder, error))
        return false;
    s_journal.open = true;
    s_journal.stepNumber = 1;
    return true;
}

bool IsJournalOpen()
{
    return s_journal.open;
}

bool HasJournalFailed()
{
    return s_journal.open && s_journal.failure != ERROR_SUCCESS;
}

DWORD JournalFailure()
{
    return s_journal.failure;
}

const char *JournalLogPath()
{
    return s_journal.logPath;
}

// Notes the first failure; every later record is refused.
static bool Fail(DWORD error)
{
    if (s_journal.failure == ERROR_SUCCESS)
        s_journal.failure = error != ERROR_SUCCESS ? error
                                                   : (DWORD)ERROR_WRITE_FAULT;
    s_journal.pendingLength = 0;
    return false;
}

// Appends the pending entries to the journal file; with flush, makes
// them reach the disk before the steps they name are taken. The buffer is
// empty afterwards, also after a failure.
static bool AppendPending(bool flush)
{
    if (s_journal.failure != ERROR_SUCCESS)
        return Fail(s_journal.failure);
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (!FormJournalPaths(s_journal.logPath, journal, copy, sizeof(journal)))
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (s_journal.pendingLength == 0 && !flush)
        return true;
    // OPEN_EXISTING: the journal was made whole at the start; a journal
    // that is gone is no place to go on.
    HANDLE file = OpenForWriting(journal);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(GetLastError());
    DWORD written = 0;
    bool whole =
        SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER &&
        WriteFile(file, s_journal.pending, (DWORD)s_journal.pendingLength,
                  &written, NULL);
    DWORD error = GetLastError();
    // A write that takes fewer bytes without an error ran out of room.
    if (whole && written != s_journal.pendingLength) {
        whole = false;
        error = ERROR_DISK_FULL;
    }
    if (whole && flush && !FlushFileBuffers(file)) {
        whole = false;
        error = GetLastError();
    }
    CloseHandle(file);
    s_journal.pendingLength = 0;
    return whole || Fail(error);
}

static bool AddPending(const char *text, size_t length)
{
    if (length > sizeof(s_journal.pending))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (s_journal.pendingLength + length > sizeof(s_journal.pending) &&
        !AppendPending(false))
        return false;
    memcpy(s_journal.pending + s_journal.pendingLength, text, length);
    s_journal.pendingLength += length;
    return true;
}

// The header of the next section. The blank line before it ends whatever
// line the state write left last.
static bool StartSection()
{
    char header[LOG_SECTION_SIZE + 8];
    char name[LOG_SECTION_SIZE];
    if (FormatJournalSectionName(name, sizeof(name), s_journal.sectionIndex) <
        0)
        return Fail(ERROR_INVALID_DATA);
    int length = snprintf(header, sizeof(header), "\r\n[%s]\r\n", name);
    s_journal.sectionLength = 0;
    if (length <= 0 || (size_t)length >= sizeof(header))
        return Fail(ERROR_INVALID_DATA);
    return AddPending(header, (size_t)length);
}

bool AddJournalStep(const JournalStep *step)
{
    if (!s_journal.open)
        return true;
    if (s_journal.failure != ERROR_SUCCESS)
        return false;
    char line[JOURNAL_LINE_SIZE];
    if (FormatJournalStep(step, line, sizeof(line)) < 0)
        return false;   // this step cannot be recorded; others still can
    char entry[JOURNAL_LINE_SIZE + 32];
    int length = FormatJournalEntry(entry, sizeof(entry), s_journal.stepNumber,
                                    line);
    if (length < 0)
        return false;
    // A section read gives the entry without its line end, with a NUL; the
    // section and its closing NUL must fit one section read.
    size_t readLength = (size_t)length - 2 + 1;
    bool first = s_journal.sectionIndex == 0;
    if (first ||
        s_journal.sectionLength + readLength + 1 > JOURNAL_SECTION_SIZE) {
        if (s_journal.sectionIndex >= kMaxJournalSections)
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        s_journal.sectionIndex++;
        if (!StartSection())
            return false;
    }
    if (!AddPending(entry, (size_t)length))
        return false;
    s_journal.sectionLength += readLength;
    s_journal.stepNumber++;
    return true;
}

bool FlushJournal()
{
    if (!s_journal.open)
        return true;
    if (s_journal.failure != ERROR_SUCCESS)
        return false;
    if (s_journal.pendingLength == 0)
        return true;
    return AppendPending(true);
}

bool CloseJournal()
{
    bool flushed = FlushJournal();
    s_journal.open = false;
    return flushed;
}

// One journal section as one read gives it.
static char s_sectionBuffer[JOURNAL_SECTION_SIZE + 2];

static bool ReadJournalSection(const char *logPath, int index)
{
    char file[PATH_SIZE];
    char name[LOG_SECTION_SIZE];
    FormatJournalSectionName(name, sizeof(name), index);
    return FindJournalFile(logPath, file, sizeof(file)) &&
           ReadWholeProfileSection(name, s_sectionBuffer,
                                   sizeof(s_sectionBuffer), file) &&
           s_sectionBuffer[0] != '\0';
}

static int CountJournalSections(const char *logPath)
{
    int count = 0;
    while (count < kMaxJournalSections && ReadJournalSection(logPath, count + 1))
        count++;
    return count;
}

bool HasJournal(const char *logPath)
{
    char file[PATH_SIZE];
    return FindJournalFile(logPath, file, sizeof(file));
}

int VisitJournalBackwards(const char *logPath, JournalVisitor visit,
                          void *context)
{
    static const char *lines[JOURNAL_SECTION_SIZE / 8];
    int total = 0;
    for (int index = CountJournalSections(logPath); index >= 1; index--) {
        if (!ReadJournalSection(logPath, index))
            return -1;
        int count = ListSectionValues(s_sectionBuffer, sizeof(s_sectionBuffer),
                                      lines, sizeof(lines) / sizeof(lines[0]));
        for (int i = count - 1; i >= 0; i--)
            visit(context, lines[i]);
        total += count;
    }
    return total;
}

void RemoveJournal(const char *logPath)
{
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (!FormJournalPaths(logPath, journal, copy, sizeof(journal)))
        return;
    // The journal goes last: a removal cut short leaves it to be finished.
    DeleteJournalFile(copy);
    DeleteJournalFile(journal);
}
