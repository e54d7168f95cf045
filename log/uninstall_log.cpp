#include "log/uninstall_log.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "common/copy_memory.h"
#include "common/platform.h"
#include "core/log/log_section.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"

// The per-key scan as the log format defines it: keys from 0 upward until
// the first missing or empty one. Returns the index whose value equals
// value (NULL: none is looked for) or -1, and the first free number.
static int ScanLogByKeys(const char *value, const char *logPath,
                         const char *section, LogList list, int *firstFree)
{
    char key[LOG_KEY_SIZE];
    // Logged values are paths, so a path buffer reads every one back whole
    // and a long path compares equal to itself.
    char logged[PATH_SIZE];
    for (int index = 0;; index++) {
        *firstFree = index;
        if (FormatLogKey(key, sizeof(key), list, index) < 0)
            return -1;
        GetPrivateProfileStringA(section, key, "", logged, sizeof(logged),
                                 logPath);
        if (logged[0] == '\0')
            return -1;
        if (value != NULL && strcmp(logged, value) == 0)
            return index;
    }
}

// Reading a log key costs a file check in the profile service (over a
// millisecond under Wine), and a duplicate test reads the whole list, so
// with hundreds of entries the per-key scan dominates an installation.
// One read of the whole section gives the same answer. Returns false when
// the section does not fit the snapshot or holds what only the per-key
// scan reads faithfully.
static char s_sectionSnapshot[LOG_SNAPSHOT_SIZE];

static bool ScanLogSnapshot(const char *value, const char *logPath,
                            const char *section, LogList list, int *match,
                            int *firstFree)
{
    if (!ReadWholeProfileSection(section, s_sectionSnapshot,
                                 sizeof(s_sectionSnapshot), logPath))
        return false;
    return ScanLogSection(s_sectionSnapshot, sizeof(s_sectionSnapshot), list,
                          value, match, firstFree) == 1;
}

static int ScanLog(const char *value, const char *logPath,
                   const char *section, LogList list, int *firstFree)
{
    int match;
    if (ScanLogSnapshot(value, logPath, section, list, &match, firstFree))
        return match;
    return ScanLogByKeys(value, logPath, section, list, firstFree);
}

static int FirstFreeNumber(const char *logPath, const char *section,
                           LogList list)
{
    int firstFree;
    ScanLog(NULL, logPath, section, list, &firstFree);
    return firstFree;
}


int FindLoggedValue(const char *value, const char *logPath,
                    const char *section, LogList list)
{
    int firstFree;
    return ScanLog(value, logPath, section, list, &firstFree);
}

// ---- The table of a section the list creates ----

// What one section write takes: 65,535 bytes, under 32 KB on Windows 9x.
static size_t SectionWriteLimit()
{
    return IsWin95Family() ? 32000 : 65535;
}

// Entries written at once when the caller does not flush sooner. The copy
// flushes each batch of its entries before copying their files, so that a
// run ended from outside never leaves a file the log does not list.
// No smaller than the copy's batch (install/file_copy.cpp), which flushes
// its own.
static const int kWriteBatch = 256;
static const size_t kTableInitialSize = 4096;

static char s_sectionNames[LOG_SECTION_NAMES_SIZE];

// Whether the log holds a section of that name in any letter case, even an
// empty one or one of comments only. A list of names that does not fit
// counts as holding it.
static bool LogHasSection(const char *logPath, const char *section)
{
    s_sectionNames[0] = s_sectionNames[1] = '\0';
    DWORD got = GetPrivateProfileSectionNamesA(
        s_sectionNames, sizeof(s_sectionNames), logPath);
    if (got >= sizeof(s_sectionNames) - 2)
        return true;
    for (const char *name = s_sectionNames; *name != '\0';
         name += strlen(name) + 1)
        if (EqualsAsciiNoCase(name, section))
            return true;
    return false;
}

// Whether a read of the value gives back exactly its bytes, so that
// comparing with the table is comparing with the file: the profile service
// drops blanks around a value and enclosing quotes, converts through the
// ANSI code page, and a list read back per key holds values in path
// buffers.
static bool ReadsBackUnchanged(const char *value)
{
    size_t length = strlen(value);
    if (length == 0 || length + 1 >= PATH_SIZE)
        return false;
    unsigned char first = (unsigned char)value[0];
    unsigned char last = (unsigned char)value[length - 1];
    if (first <= ' ' || last <= ' ' || first == '"' || first == '\'')
        return false;
    bool ascii = true;
    for (const char *p = value; *p != '\0'; p++) {
        if ((unsigned char)*p < ' ')
            return false;
        if ((unsigned char)*p >= 0x80)
            ascii = false;
    }
    if (ascii)
        return true;
    WCHAR wide[PATH_SIZE];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, value, -1, wide,
                            sizeof(wide) / sizeof(wide[0])) == 0)
        return false;
    char back[PATH_SIZE * 2];
    int got = WideCharToMultiByte(CP_ACP, 0, wide, -1, back, sizeof(back),
                                  NULL, NULL);
    return got > 0 && strcmp(back, value) == 0;
}

// Room for needed more bytes and the closing NUL of the table.
static bool ReserveTable(LogNumbering *log, size_t needed)
{
    size_t wanted = log->tableLength + needed + 1;
    if (wanted <= log->tableSize)
        return true;
    size_t size = log->tableSize > 0 ? log->tableSize : kTableInitialSize;
    while (size < wanted)
        size *= 2;
    char *grown = (char *)GrowCopyMemory(log->table, size);
    if (grown == NULL)
        return false;
    log->table = grown;
    log->tableSize = size;
    log->table[log->tableLength] = '\0';
    return true;
}

static bool TableHolds(const LogNumbering *log, const char *value)
{
    for (const char *entry = log->table; *entry != '\0';
         entry += strlen(entry) + 1)
        if (strcmp(strchr(entry, '=') + 1, value) == 0)
            return true;
    return false;
}

static void ReleaseTable(LogNumbering *log)
{
    free(log->table);
    log->table = NULL;
    log->tableLength = log->tableSize = 0;
    log->unwritten = 0;
}

// Every entry of the table by itself, as the list writes without one.
static void WriteTablePerKey(LogNumbering *log)
{
    for (char *entry = log->table; *entry != '\0';
         entry += strlen(entry) + 1) {
        char *equals = strchr(entry, '=');
        *equals = '\0';
        WritePrivateProfileStringA(log->section, entry, equals + 1,
                                   log->logPath);
        *equals = '=';
    }
}

// Writes the unwritten entries: the section holds only what the table
// holds, so the table written as the whole section adds them. A section
// write that fails (a full disk, a file held open) is redone key by key,
// and the list goes on without its table.
static void WriteTable(LogNumbering *log)
{
    if (log->unwritten == 0)
        return;
    log->unwritten = 0;
    if (WritePrivateProfileSectionA(log->section, log->table, log->logPath))
        return;
    WriteTablePerKey(log);
    ReleaseTable(log);
}

// Writes what is pending; from here on the list is read back from the file.
static void DropTable(LogNumbering *log)
{
    if (log->table == NULL)
        return;
    WriteTable(log);
    if (log->table != NULL)
        ReleaseTable(log);
}

static void AddValuePerKey(LogNumbering *log, const char *value)
{
    if (FindLoggedValue(value, log->logPath, log->section, log->list) >= 0)
        return;
    char key[LOG_KEY_SIZE];
    if (FormatLogKey(key, sizeof(key), log->list, log->next) < 0)
        return;
    WritePrivateProfileStringA(log->section, key, value, log->logPath);
    log->next++;
}

// Returns false when the table cannot take the value (then it is dropped
// and the value goes per key).
static bool AddValueToTable(LogNumbering *log, const char *value)
{
    if (!ReadsBackUnchanged(value))
        return false;
    if (TableHolds(log, value))
        return true;
    char key[LOG_KEY_SIZE];
    int keyLength = FormatLogKey(key, sizeof(key), log->list, log->next);
    if (keyLength < 0)
        return true;
    size_t valueLength = strlen(value);
    size_t entryLength = (size_t)keyLength + 1 + valueLength + 1;
    if (!ReserveTable(log, entryLength))
        return false;
    if (!log->writePerKey &&
        log->tableLength + entryLength + 1 > SectionWriteLimit()) {
        WriteTable(log);
        if (log->table == NULL)
            return false;
        log->writePerKey = true;
    }
    bool first = log->tableLength == 0;
    char *entry = log->table + log->tableLength;
    memcpy(entry, key, (size_t)keyLength);
    entry[keyLength] = '=';
    memcpy(entry + keyLength + 1, value, valueLength + 1);
    log->tableLength += entryLength;
    log->table[log->tableLength] = '\0';
    log->next++;
    if (log->writePerKey) {
        WritePrivateProfileStringA(log->section, key, value, log->logPath);
        return true;
    }
    // The first entry is written at once: it creates the section where a
    // key-by-key write would have, before the sections written after it.
    log->unwritten++;
    if (first || log->unwritten >= kWriteBatch)
        WriteTable(log);
    return true;
}

void OpenLogList(LogNumbering *log, const char *logPath, const char *section,
                 LogList list, bool mayKeepTable)
{
    log->logPath = logPath;
    CopyText(log->section, sizeof(log->section), section);
    log->list = list;
    log->next = 0;
    log->table = NULL;
    log->tableLength = log->tableSize = 0;
    log->unwritten = 0;
    log->writePerKey = false;
    if (logPath[0] == '\0')
        return;
    if (mayKeepTable && !LogHasSection(logPath, section) &&
        ReserveTable(log, 0))
        return;
    log->next = FirstFreeNumber(logPath, section, list);
}

void AddLogValue(LogNumbering *log, const char *value)
{
    if (log->logPath[0] == '\0' || value[0] == '\0')
        return;
    if (log->table != NULL && AddValueToTable(log, value))
        return;
    DropTable(log);
    AddValuePerKey(log, value);
}

void FlushLogList(LogNumbering *log)
{
    if (log->table != NULL)
        WriteTable(log);
}

void CloseLogList(LogNumbering *log)
{
    DropTable(log);
}
