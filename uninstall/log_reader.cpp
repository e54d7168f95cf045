#include "uninstall/log_reader.h"

#include <stdlib.h>
#include <string.h>

#include "common/dbcs.h"

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int ParseNumberedKey(const char *key, size_t keyLength, const char *prefix)
{
    size_t prefixLength = strlen(prefix);
    size_t digits = keyLength - prefixLength;
    if (keyLength < prefixLength + 2 || digits > 7)
        return -1;
    for (size_t i = 0; i < prefixLength; i++)
        if (LowerAscii(key[i]) != LowerAscii(prefix[i]))
            return -1;
    int number = 0;
    for (size_t i = prefixLength; i < keyLength; i++) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        number = number * 10 + (key[i] - '0');
    }
    // "%02d" writes no more than two digits below 100, so "FILE007" is a
    // key the install run never reads or writes.
    if (digits > 2 && key[prefixLength] == '0')
        return -1;
    return number;
}

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

static bool AlreadySeen(const int *numbers, int count, int number)
{
    for (int i = 0; i < count; i++)
        if (numbers[i] == number)
            return true;
    return false;
}

int CollectNumberedValues(const char *section, size_t size,
                          const char *prefix, LogValueList *list)
{
    list->count = list->refused = list->dropped = 0;
    // Every key number met, filled or not: the first of two keys counts.
    static int seen[UNINSTALL_LIST_CAPACITY * 2];
    int seenCount = 0;
    size_t at = 0;
    while (at < size && section[at] != '\0') {
        const char *line = section + at;
        const char *end = (const char *)memchr(line, '\0', size - at);
        size_t lineLength = end ? (size_t)(end - line) : size - at;
        at += lineLength + 1;
        const char *equals = (const char *)memchr(line, '=', lineLength);
        if (equals == NULL)
            continue;
        int number = ParseNumberedKey(line, (size_t)(equals - line), prefix);
        if (number < 0 || AlreadySeen(seen, seenCount, number))
            continue;
        if (seenCount < (int)(sizeof(seen) / sizeof(seen[0])))
            seen[seenCount++] = number;
        const char *value = equals + 1;
        size_t valueLength = lineLength - (size_t)(value - line);
        if (valueLength == 0)
            continue;
        if (!IsUsableValue(value, valueLength)) {
            list->refused++;
            continue;
        }
        if (list->count == UNINSTALL_LIST_CAPACITY) {
            list->dropped++;
            continue;
        }
        memcpy(list->values[list->count], value, valueLength);
        list->values[list->count][valueLength] = '\0';
        list->count++;
    }
    return list->count;
}

bool IsRemovablePath(const char *path)
{
    char drive = LowerAscii(path[0]);
    if (drive < 'a' || drive > 'z' || path[1] != ':' || path[2] != '\\')
        return false;
    // A component "." or ".." would lead out of the folder the log names.
    const char *component = path + 3;
    if (*component == '\0')
        return false;
    for (const char *p = component;; p = NextChar(p)) {
        if (*p == '\\' || *p == '\0') {
            size_t length = (size_t)(p - component);
            if (length == 0 && *p == '\\')
                return false;   // "\\" inside the path
            if ((length == 1 && component[0] == '.') ||
                (length == 2 && component[0] == '.' && component[1] == '.'))
                return false;
            if (*p == '\0')
                return true;
            component = p + 1;
        }
    }
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

int PathDepth(const char *path)
{
    int depth = 0;
    for (const char *p = path; *p != '\0'; p = NextChar(p))
        if (*p == '\\')
            depth++;
    return depth;
}

void SortDeepestFirst(LogValueList *list)
{
    // Insertion sort over indexes: lists are short, and it is stable.
    static int order[UNINSTALL_LIST_CAPACITY];
    static int depth[UNINSTALL_LIST_CAPACITY];
    for (int i = 0; i < list->count; i++) {
        depth[i] = PathDepth(list->values[i]);
        int j = i;
        while (j > 0 && depth[order[j - 1]] < depth[i]) {
            order[j] = order[j - 1];
            j--;
        }
        order[j] = i;
    }
    static char sorted[UNINSTALL_LIST_CAPACITY][PATH_SIZE];
    for (int i = 0; i < list->count; i++)
        memcpy(sorted[i], list->values[order[i]], PATH_SIZE);
    memcpy(list->values, sorted, (size_t)list->count * PATH_SIZE);
}

static const char *SkipBlanks(const char *p)
{
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

int ParseUninstallCommandLine(const char *commandLine, bool *silent,
                              char *log, size_t size)
{
    *silent = false;
    if (size > 0)
        log[0] = '\0';
    const char *p = SkipBlanks(commandLine);
    while ((p[0] == '-' || p[0] == '/') && (p[1] == 's' || p[1] == 'S') &&
           (p[2] == ' ' || p[2] == '\t' || p[2] == '\0')) {
        *silent = true;
        p = SkipBlanks(p + 2);
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
