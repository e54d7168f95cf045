#include "core/log/log_reader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/target_path.h"
#include "core/log/log_section.h"


// A logged value that can be acted upon: a path that fits, without the
// quotes and control characters no file name holds.
static bool IsUsableValue(const char *value, size_t length)
{
    if (length == 0 || length >= PATH_SIZE)
        return false;
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)value[i];
        if (c < ' ' || c == '"')
            return false;
    }
    return true;
}

// Slots of the set of high key numbers: twice the values a list can take,
// so the set stays half empty while the list fills.
static const int kBeyondSlots = 4 * UNINSTALL_LIST_CAPACITY;

void StartCollecting(NumberedCollector *collector, LogList list,
                     LogValueList *values)
{
    memset(collector, 0, sizeof(*collector));
    collector->list = list;
    collector->values = values;
    values->count = values->refused = values->dropped = 0;
}

void FinishCollecting(NumberedCollector *collector)
{
    free(collector->beyond);
    collector->beyond = NULL;
}

static unsigned HashDigits(const char *digits, size_t length)
{
    unsigned hash = 2166136261u;
    for (size_t i = 0; i < length; i++)
        hash = (hash ^ (unsigned char)digits[i]) * 16777619u;
    return hash;
}

// Whether the digits of a key numbered past what is tracked came before;
// remembers them when not. Without room, the key counts as new.
static bool SeenBeyond(NumberedCollector *collector, const char *digits,
                       size_t length)
{
    if (collector->beyond == NULL) {
        collector->beyond =
            (char(*)[LOG_KEY_SIZE])calloc(kBeyondSlots, LOG_KEY_SIZE);
        if (collector->beyond == NULL)
            return false;
    }
    unsigned slot = HashDigits(digits, length) % kBeyondSlots;
    for (;;) {
        char *stored = collector->beyond[slot];
        if (stored[0] == '\0')
            break;
        if (strlen(stored) == length && memcmp(stored, digits, length) == 0)
            return true;
        slot = (slot + 1) % kBeyondSlots;
    }
    if (collector->beyondCount < kBeyondSlots / 2) {
        memcpy(collector->beyond[slot], digits, length);
        collector->beyond[slot][length] = '\0';
        collector->beyondCount++;
    }
    return false;
}

void CollectEntry(NumberedCollector *collector, const SectionEntry *entry)
{
    int index = ParseLogKey(entry->key, entry->keyLength, collector->list);
    if (index == -1)
        return;
    LogValueList *values = collector->values;
    if (index >= 0) {
        unsigned char *seen = collector->seen;
        if (seen[index / 8] & (1 << (index % 8)))
            return;
        seen[index / 8] |= (unsigned char)(1 << (index % 8));
    } else if (entry->keyLength >= LOG_KEY_SIZE) {
        // No read of a numbered key finds it; its value is not lost
        // unnoticed.
        if (entry->valueLength > 0)
            values->refused++;
        return;
    } else if (SeenBeyond(collector, entry->key + 4, entry->keyLength - 4)) {
        return;
    }
    AddLoggedValue(values, entry->value, entry->valueLength);
}

int CollectNumberedValues(const char *section, size_t size, LogList list,
                          LogValueList *values)
{
    NumberedCollector collector;
    StartCollecting(&collector, list, values);
    SectionCursor cursor;
    SectionEntry entry;
    StartSectionEntries(&cursor, section, size);
    while (NextSectionEntry(&cursor, &entry))
        CollectEntry(&collector, &entry);
    FinishCollecting(&collector);
    return values->count;
}

void FreeLogValues(LogValueList *list)
{
    free(list->values);
    memset(list, 0, sizeof(*list));
}

// Room for one more row: the list doubles, so a log of n values costs
// about log2(n) allocations and never more than the capacity's rows.
static bool MakeRoom(LogValueList *list)
{
    if (list->count < list->allocated)
        return true;
    if (list->allocated >= UNINSTALL_LIST_CAPACITY)
        return false;
    int rows = list->allocated == 0 ? 16 : list->allocated * 2;
    if (rows > UNINSTALL_LIST_CAPACITY)
        rows = UNINSTALL_LIST_CAPACITY;
    void *grown = realloc(list->values, (size_t)rows * PATH_SIZE);
    if (grown == NULL)
        return false;
    list->values = (char(*)[PATH_SIZE])grown;
    list->allocated = rows;
    return true;
}

bool AppendLogValue(LogValueList *list, const char *path)
{
    size_t length = strlen(path);
    if (length >= PATH_SIZE || !MakeRoom(list)) {
        list->dropped++;
        return false;
    }
    memcpy(list->values[list->count], path, length + 1);
    list->count++;
    return true;
}

void AddLoggedValue(LogValueList *values, const char *value, size_t length)
{
    if (length == 0)
        return;
    if (!IsUsableValue(value, length)) {
        values->refused++;
        return;
    }
    if (!MakeRoom(values)) {
        values->dropped++;
        return;
    }
    memcpy(values->values[values->count], value, length);
    values->values[values->count][length] = '\0';
    values->count++;
}

bool IsRemovablePath(const char *path)
{
    return JudgeTargetPath(path) == TARGET_PATH_OK;
}

bool SamePath(const char *a, const char *b)
{
    size_t aLength = strlen(a);
    size_t bLength = strlen(b);
    if (EndsWithSeparator(a))
        aLength--;
    if (EndsWithSeparator(b))
        bLength--;
    if (aLength != bLength)
        return false;
    // Letter case is ignored for single-byte characters only: a trail
    // byte is never a letter of its own.
    for (size_t i = 0; i < aLength; i++) {
        if (IsDbcsLead((unsigned char)a[i]) && i + 1 < aLength) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i++;
            continue;
        }
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool IsInsideFolder(const char *path, const char *folder, const char **rest)
{
    size_t length = strlen(folder);
    if (EndsWithSeparator(folder))
        length--;
    // "C:\\a\\" is the folder "C:\\a" itself, not inside it.
    if (length == 0 || length + 1 >= strlen(path) || length >= PATH_SIZE ||
        path[length] != '\\')
        return false;
    // The backslash must be a character of its own, not a trail byte.
    const char *p = path;
    while ((size_t)(p - path) < length)
        p = NextChar(p);
    if ((size_t)(p - path) != length)
        return false;
    char head[PATH_SIZE];
    memcpy(head, path, length);
    head[length] = '\0';
    if (!SamePath(head, folder))
        return false;
    if (rest != NULL)
        *rest = path + length;
    return true;
}

int PathDepth(const char *path)
{
    int depth = 0;
    for (const char *p = path; *p != '\0'; p = NextChar(p))
        if (*p == '\\')
            depth++;
    return depth;
}

// Stable insertion sort that moves the rows themselves: for when there is
// no memory for an order.
static void SortRowsDeepestFirst(LogValueList *list)
{
    char row[PATH_SIZE];
    for (int i = 1; i < list->count; i++) {
        int depth = PathDepth(list->values[i]);
        int j = i;
        while (j > 0 && PathDepth(list->values[j - 1]) < depth)
            j--;
        if (j == i)
            continue;
        memcpy(row, list->values[i], PATH_SIZE);
        memmove(list->values[j + 1], list->values[j],
                (size_t)(i - j) * PATH_SIZE);
        memcpy(list->values[j], row, PATH_SIZE);
    }
}

// Puts row order[i] at place i, cycle by cycle, with one spare row.
static void ApplyOrder(LogValueList *list, int *order)
{
    char row[PATH_SIZE];
    for (int start = 0; start < list->count; start++) {
        if (order[start] == start || order[start] < 0)
            continue;
        memcpy(row, list->values[start], PATH_SIZE);
        int place = start;
        while (order[place] != start) {
            int from = order[place];
            memcpy(list->values[place], list->values[from], PATH_SIZE);
            order[place] = -1;
            place = from;
        }
        memcpy(list->values[place], row, PATH_SIZE);
        order[place] = -1;
    }
}

void SortDeepestFirst(LogValueList *list)
{
    if (list->count < 2)
        return;
    // Insertion sort over indexes: stable, and each row moves once.
    int *order = (int *)malloc((size_t)list->count * 2 * sizeof(int));
    if (order == NULL) {
        SortRowsDeepestFirst(list);
        return;
    }
    int *depth = order + list->count;
    for (int i = 0; i < list->count; i++) {
        depth[i] = PathDepth(list->values[i]);
        int j = i;
        while (j > 0 && depth[order[j - 1]] < depth[i]) {
            order[j] = order[j - 1];
            j--;
        }
        order[j] = i;
    }
    ApplyOrder(list, order);
    free(order);
}

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

static bool EndsSwitch(char c)
{
    return c == ' ' || c == '\t' || c == '\0';
}

// The value of -o: quoted to its closing quote, otherwise to the next
// blank. Returns what follows it, or NULL for a quote that never closes.
static const char *TakeReportSwitch(const char *p, UninstallSwitches *switches)
{
    const char *start = p;
    const char *end;
    const char *after;
    if (*p == '"') {
        start = p + 1;
        end = strchr(start, '"');
        if (end == NULL)
            return NULL;
        after = end + 1;
    } else {
        end = p;
        while (!EndsSwitch(*end))
            end++;
        after = end;
    }
    size_t length = (size_t)(end - start);
    switches->reportTooLong = length >= sizeof(switches->report);
    switches->report[0] = '\0';
    if (!switches->reportTooLong) {
        memcpy(switches->report, start, length);
        switches->report[length] = '\0';
    }
    return after;
}

// One switch at p; returns what follows it, or NULL for one not known.
static const char *TakeSwitch(const char *p, bool *silent,
                              UninstallSwitches *switches)
{
    char letter = p[1];
    if ((letter == 's' || letter == 'S') && EndsSwitch(p[2])) {
        *silent = true;
        return p + 2;
    }
    if (switches == NULL)
        return NULL;
    if ((letter == 'm' || letter == 'M') && EndsSwitch(p[2])) {
        switches->msiCodes = true;
        return p + 2;
    }
    if (letter == 'o' || letter == 'O')
        return TakeReportSwitch(p + 2, switches);
    return NULL;
}

int ParseUninstallCommandLine(const char *commandLine, bool *silent,
                              char *log, size_t size,
                              UninstallSwitches *switches)
{
    *silent = false;
    if (switches != NULL)
        memset(switches, 0, sizeof(*switches));
    if (size > 0)
        log[0] = '\0';
    const char *p = SkipBlanks(commandLine);
    while (p[0] == '-' || p[0] == '/') {
        const char *next = TakeSwitch(p, silent, switches);
        if (next == NULL)
            return 0;
        p = SkipBlanks(next);
    }
    if (*p == '-' || *p == '/')
        return 0;
    const char *start = p;
    const char *end;
    if (*p == '"') {
        start = p + 1;
        end = strchr(start, '"');
        if (end == NULL || *SkipBlanks(end + 1) != '\0')
            return 0;
    } else {
        end = p + strlen(p);
        while (end > start && (end[-1] == ' ' || end[-1] == '\t'))
            end--;
    }
    size_t length = (size_t)(end - start);
    if (length == 0 || length >= size)
        return 0;
    memcpy(log, start, length);
    log[length] = '\0';
    return 1;
}

const char *NextCommandTail(const char *command, const char *tail)
{
    const char *after = tail != NULL ? tail : command;
    bool quoted = false;
    for (const char *p = command; *p != '\0'; p = NextChar(p)) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && (*p == ' ' || *p == '\t') && p + 1 > after &&
                 p[1] != ' ' && p[1] != '\t' && p[1] != '\0')
            return p + 1;
    }
    return NULL;
}

// Copies text doubling each '%', which a batch file would expand. Returns
// false when it does not fit size bytes.
static bool DoublePercents(const char *text, char *out, size_t size)
{
    size_t used = 0;
    for (const char *p = text; *p != '\0';) {
        const char *next = NextChar(p);
        size_t length = (size_t)(next - p);
        bool percent = length == 1 && *p == '%';
        if (used + length + (percent ? 1 : 0) >= size)
            return false;
        if (percent)
            out[used++] = '%';
        memcpy(out + used, p, length);
        used += length;
        p = next;
    }
    out[used] = '\0';
    return true;
}

int ComposeSelfDeleteBatch(char *script, size_t size, const char *file,
                           const char *batch)
{
    if (size == 0)
        return -1;
    script[0] = '\0';
    char fileText[2 * PATH_SIZE];
    char batchText[2 * PATH_SIZE];
    if (!DoublePercents(file, fileText, sizeof(fileText)) ||
        !DoublePercents(batch, batchText, sizeof(batchText)))
        return -1;
    // ping waits about a second between tries; after a minute the file
    // stays rather than the loop spinning for ever.
    int length = snprintf(script, size,
                          "@echo off\r\n"
                          "set tries=0\r\n"
                          ":again\r\n"
                          "del \"%s\" >nul 2>nul\r\n"
                          "if not exist \"%s\" goto done\r\n"
                          "set /a tries=tries+1\r\n"
                          "if %%tries%% geq %d goto done\r\n"
                          "ping -n 2 127.0.0.1 >nul\r\n"
                          "goto again\r\n"
                          ":done\r\n"
                          "del \"%s\" >nul 2>nul\r\n",
                          fileText, fileText, SELF_DELETE_TRIES, batchText);
    if (length < 0 || (size_t)length >= size) {
        script[0] = '\0';
        return -1;
    }
    return length;
}
