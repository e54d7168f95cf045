#include "install/journal_writer.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/platform.h"
#include "core/text/dbcs.h"

static const char kTransactionSection[] = "Transaction";
static const int kMaxJournalSections = 999;

// The section being filled, in the form a section write takes
// ("12=file ...", each ending in NUL, one more NUL).
struct JournalWriter {
    char logPath[PATH_SIZE];
    bool open;
    int sectionIndex;   // from 1
    int stepNumber;     // key of the next step, over all sections
    char table[JOURNAL_SECTION_SIZE];
    size_t tableLength;
    bool unwritten;
};

static JournalWriter s_journal;

bool WriteTransactionState(const char *logPath, const char *state)
{
    return WritePrivateProfileStringA(kTransactionSection, "State", state,
                                      logPath) != 0;
}

TransactionState ReadTransactionState(const char *logPath)
{
    char state[32];
    GetPrivateProfileStringA(kTransactionSection, "State", "", state,
                             sizeof(state), logPath);
    return ParseTransactionState(state);
}

void OpenJournal(const char *logPath)
{
    memset(&s_journal, 0, sizeof(s_journal));
    if (logPath[0] == '\0' ||
        CopyText(s_journal.logPath, sizeof(s_journal.logPath), logPath) !=
            strlen(logPath))
        return;
    s_journal.open = true;
    s_journal.sectionIndex = 1;
    s_journal.stepNumber = 1;
    // A journal left by an earlier run in the same log was rolled back or
    // committed before this one started; its sections must not mix in.
    RemoveJournalSections(logPath);
    WriteTransactionState(logPath, kStateInProgress);
}

bool IsJournalOpen()
{
    return s_journal.open;
}

const char *JournalLogPath()
{
    return s_journal.logPath;
}

static bool WriteCurrentSection()
{
    if (!s_journal.unwritten)
        return true;
    char name[LOG_SECTION_SIZE];
    FormatJournalSectionName(name, sizeof(name), s_journal.sectionIndex);
    s_journal.unwritten = false;
    return WritePrivateProfileSectionA(name, s_journal.table,
                                       s_journal.logPath) != 0;
}

void AddJournalStep(const JournalStep *step)
{
    if (!s_journal.open)
        return;
    char line[JOURNAL_LINE_SIZE];
    int length = FormatJournalStep(step, line, sizeof(line));
    if (length < 0)
        return;
    char entry[JOURNAL_LINE_SIZE + 16];
    int entryLength = snprintf(entry, sizeof(entry), "%d=%s",
                               s_journal.stepNumber, line);
    if (entryLength < 0 || (size_t)entryLength >= sizeof(entry))
        return;
    // The section and its closing NUL must fit one section write.
    if (s_journal.tableLength + (size_t)entryLength + 2 >
        sizeof(s_journal.table)) {
        WriteCurrentSection();
        if (s_journal.sectionIndex >= kMaxJournalSections)
            return;
        s_journal.sectionIndex++;
        s_journal.tableLength = 0;
    }
    memcpy(s_journal.table + s_journal.tableLength, entry,
           (size_t)entryLength + 1);
    s_journal.tableLength += (size_t)entryLength + 1;
    s_journal.table[s_journal.tableLength] = '\0';
    s_journal.stepNumber++;
    s_journal.unwritten = true;
}

bool FlushJournal()
{
    return !s_journal.open || WriteCurrentSection();
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
    char name[LOG_SECTION_SIZE];
    FormatJournalSectionName(name, sizeof(name), index);
    return ReadWholeProfileSection(name, s_sectionBuffer,
                                   sizeof(s_sectionBuffer), logPath) &&
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
    // Any of it will do: a section too large for the probe still counts.
    char name[LOG_SECTION_SIZE];
    char probe[8];
    FormatJournalSectionName(name, sizeof(name), 1);
    return GetPrivateProfileSectionA(name, probe, sizeof(probe), logPath) > 0;
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

void RemoveJournalSections(const char *logPath)
{
    int count = CountJournalSections(logPath);
    for (int index = count; index >= 1; index--) {
        char name[LOG_SECTION_SIZE];
        FormatJournalSectionName(name, sizeof(name), index);
        WritePrivateProfileStringA(name, NULL, NULL, logPath);
    }
    WritePrivateProfileStringA(kTransactionSection, "LogExisted", NULL,
                               logPath);
}
