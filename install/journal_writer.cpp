#include "install/journal_writer.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/platform.h"
#include "core/text/dbcs.h"
#include "install/transaction.h"

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
};

static JournalWriter s_journal;

static bool IsFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The journal lives in a file of its own beside the log ("LOG.jnl"): a
// profile write rewrites a whole file from its start, and a run killed in
// the middle of a write to the log would take the journal and its state
// with it. The journal file is only ever replaced whole, by a copy that
// was written and flushed first ("LOG.jnl.tmp").
static bool FormJournalPaths(const char *logPath, char *journal,
                             char *copy, size_t size)
{
    char logFile[PATH_SIZE];
    if (logPath[0] == '\0' ||
        !ResolveLogFile(logPath, logFile, sizeof(logFile)))
        return false;
    int length = snprintf(journal, size, "%s.jnl", logFile);
    int copyLength = snprintf(copy, size, "%s.jnl.tmp", logFile);
    return length > 0 && (size_t)length < size && copyLength > 0 &&
           (size_t)copyLength < size;
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

// Makes the data reach the disk before the copy replaces the journal, so
// that a power loss leaves the old journal or the whole new one.
static void FlushToDisk(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(file);
    CloseHandle(file);
}

typedef BOOL (*JournalChange)(const char *file, const void *context);

// Applies change to a copy of the journal and puts the copy in its place.
static bool ChangeJournal(const char *logPath, JournalChange change,
                          const void *context)
{
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (!FormJournalPaths(logPath, journal, copy, sizeof(journal)))
        return false;
    if (IsFile(journal)) {
        if (!CopyFileA(journal, copy, FALSE))
            return false;
        SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
    } else if (!IsFile(copy)) {
        // No journal yet: the copy starts empty. (A copy without a journal
        // is the whole journal of a replacement cut short; it goes on.)
    }
    if (!change(copy, context))
        return false;
    FlushToDisk(copy);
    return MoveFileOver(copy, journal);
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

bool WriteTransactionKey(const char *logPath, const char *key,
                         const char *value)
{
    StateChange change = {key, value};
    return ChangeJournal(logPath, WriteStateKey, &change);
}

int ReadTransactionNumber(const char *logPath, const char *key)
{
    char file[PATH_SIZE];
    if (!FindJournalFile(logPath, file, sizeof(file)))
        return 0;
    return (int)GetPrivateProfileIntA(kTransactionSection, key, 0, file);
}

bool WriteTransactionState(const char *logPath, const char *state)
{
    return WriteTransactionKey(logPath, "State", state);
}

TransactionState ReadTransactionState(const char *logPath)
{
    char file[PATH_SIZE];
    char state[32];
    state[0] = '\0';
    if (FindJournalFile(logPath, file, sizeof(file)))
        GetPrivateProfileStringA(kTransactionSection, "State", "", state,
                                 sizeof(state), file);
    return ParseTransactionState(state);
}

void OpenJournal(const char *logPath, bool logExisted)
{
    memset(&s_journal, 0, sizeof(s_journal));
    if (logPath[0] == '\0' ||
        CopyText(s_journal.logPath, sizeof(s_journal.logPath), logPath) !=
            strlen(logPath))
        return;
    s_journal.open = true;
    s_journal.stepNumber = 1;
    // A journal left by an earlier run of the same log was rolled back or
    // committed before this one started; its steps must not mix in.
    RemoveJournal(logPath);
    // Both keys in one replacement of the file: "State=...", NUL,
    // "LogExisted=1", NUL, NUL.
    char lines[64];
    int length = snprintf(lines, sizeof(lines), "State=%s", kStateInProgress);
    const char existed[] = "LogExisted=1";
    memset(lines + length, 0, sizeof(lines) - (size_t)length);
    if (logExisted)
        memcpy(lines + length + 1, existed, sizeof(existed));
    SectionChange change = {kTransactionSection, lines};
    ChangeJournal(logPath, WriteSectionLines, &change);
}

bool IsJournalOpen()
{
    return s_journal.open;
}

const char *JournalLogPath()
{
    return s_journal.logPath;
}

// Appends the pending entries to the journal file; with flush, makes
// them reach the disk before the steps they name are taken.
static bool AppendPending(bool flush)
{
    char journal[PATH_SIZE];
    char copy[PATH_SIZE];
    if (!FormJournalPaths(s_journal.logPath, journal, copy, sizeof(journal)))
        return false;
    if (s_journal.pendingLength == 0 && !flush)
        return true;
    HANDLE file = CreateFileA(journal, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole =
        SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER &&
        WriteFile(file, s_journal.pending, (DWORD)s_journal.pendingLength,
                  &written, NULL) &&
        written == s_journal.pendingLength;
    if (whole && flush)
        whole = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    s_journal.pendingLength = 0;
    return whole;
}

static bool AddPending(const char *text, size_t length)
{
    bool appended = true;
    if (s_journal.pendingLength + length > sizeof(s_journal.pending))
        appended = AppendPending(false);
    if (length > sizeof(s_journal.pending))
        return false;
    memcpy(s_journal.pending + s_journal.pendingLength, text, length);
    s_journal.pendingLength += length;
    return appended;
}

// The header of the next section. The blank line before it ends whatever
// line the state write left last.
static bool StartSection()
{
    char header[LOG_SECTION_SIZE + 8];
    char name[LOG_SECTION_SIZE];
    if (FormatJournalSectionName(name, sizeof(name), s_journal.sectionIndex) <
        0)
        return false;
    int length = snprintf(header, sizeof(header), "\r\n[%s]\r\n", name);
    s_journal.sectionLength = 0;
    return length > 0 && (size_t)length < sizeof(header) &&
           AddPending(header, (size_t)length);
}

void AddJournalStep(const JournalStep *step)
{
    if (!s_journal.open)
        return;
    char line[JOURNAL_LINE_SIZE];
    if (FormatJournalStep(step, line, sizeof(line)) < 0)
        return;
    char entry[JOURNAL_LINE_SIZE + 32];
    int length = FormatJournalEntry(entry, sizeof(entry), s_journal.stepNumber,
                                    line);
    if (length < 0)
        return;
    // A section read gives the entry without its line end, with a NUL; the
    // section and its closing NUL must fit one section read.
    size_t readLength = (size_t)length - 2 + 1;
    bool first = s_journal.sectionIndex == 0;
    if (first ||
        s_journal.sectionLength + readLength + 1 > JOURNAL_SECTION_SIZE) {
        if (s_journal.sectionIndex >= kMaxJournalSections)
            return;
        s_journal.sectionIndex++;
        if (!StartSection())
            return;
    }
    AddPending(entry, (size_t)length);
    s_journal.sectionLength += readLength;
    s_journal.stepNumber++;
}

bool FlushJournal()
{
    if (!s_journal.open || s_journal.pendingLength == 0)
        return true;
    return AppendPending(true);
}

void CloseJournal()
{
    FlushJournal();
    s_journal.open = false;
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
    DeleteFileA(copy);
    DeleteFileA(journal);
}
