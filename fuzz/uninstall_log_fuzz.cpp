// The uninstaller's log reader on fuzzed section buffers (read exactly to
// their size, with or without final NULs) and on fuzzed INI files (section
// "S") read in pieces; a few inputs repeat the file past what one section
// read holds, or feed more high key numbers than the list and its set of
// high numbers hold. Also its path tests, the command line, the places
// where an uninstall command's log may start, and the Program Manager
// commands: no read or write past a buffer, every value taken is a usable
// path of a numbered key, and the pieces a file is read in change nothing.
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "core/log/log_reader.h"
#include "core/text/device_name.h"
#include "core/progman/progman_remove_commands.h"

static LogValueList g_list;
static LogValueList g_whole;

static void CheckList(const LogValueList *list)
{
    FUZZ_CHECK(list->count >= 0 && list->count <= UNINSTALL_LIST_CAPACITY);
    for (int i = 0; i < list->count; i++) {
        const char *value = list->values[i];
        size_t length = strnlen(value, PATH_SIZE);
        FUZZ_CHECK(length > 0 && length < PATH_SIZE);
        FUZZ_CHECK(strchr(value, '"') == NULL);
    }
}

static void CollectLine(void *context, const SectionEntry *entry)
{
    CollectEntry((NumberedCollector *)context, entry);
}

// The section "S" of the file text (repeated times), fed in pieces of
// piece bytes.
static void ScanFile(const uint8_t *text, size_t length, int repeats,
                     size_t piece, LogList which, LogValueList *list)
{
    NumberedCollector collector;
    StartCollecting(&collector, which, list);
    SectionScanner scanner;
    FUZZ_CHECK(StartSectionScan(&scanner, "S", CollectLine, &collector));
    for (int r = 0; r < repeats; r++)
        for (size_t at = 0; at < length; at += piece)
            ScanSectionBytes(&scanner, (const char *)text + at,
                             length - at < piece ? length - at : piece);
    FinishSectionScan(&scanner);
    FinishCollecting(&collector);
}

// More high keys than the list and the set of high numbers hold, every
// stride-th number, wrapping round to twins; each value is value.
static void CollectHighKeys(const char *value, uint8_t stride, LogList which,
                            LogValueList *list)
{
    const int entries = 9000;
    NumberedCollector collector;
    StartCollecting(&collector, which, list);
    char key[LOG_KEY_SIZE];
    SectionEntry entry;
    entry.key = key;
    entry.value = value;
    entry.valueLength = strlen(value);
    for (int i = 0; i < entries; i++) {
        int number = LOG_SNAPSHOT_MAX_INDEX + (i * (stride | 1)) % 12000;
        entry.keyLength = (size_t)FormatLogKey(key, sizeof(key), which,
                                               number);
        CollectEntry(&collector, &entry);
    }
    FinishCollecting(&collector);
    FUZZ_CHECK(list->count + list->refused + list->dropped <= entries);
}

static bool SameLists(const LogValueList *a, const LogValueList *b)
{
    if (a->count != b->count || a->refused != b->refused ||
        a->dropped != b->dropped)
        return false;
    for (int i = 0; i < a->count; i++)
        if (strcmp(a->values[i], b->values[i]) != 0)
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    SetDbcsCodePage(CodePageFromByte(options));
    LogList which = (options & 2) ? LOG_PATHS : LOG_FILES;
    char *field = TakeField(&reader);
    size_t length;
    uint8_t *section = TakeRest(&reader, &length);

    uint8_t pieces = TakeByte(&reader);
    // The large cases are slow: they are a few of the inputs.
    if ((options & 0x0C) == 0x0C && (pieces & 0x0F) == 0x0F) {
        // Past the 512 KB of one section read.
        int repeats = length == 0 ? 1 : (int)(600 * 1024 / length) + 1;
        ScanFile(section, length, repeats, 4096, which, &g_list);
        CheckList(&g_list);
    } else if ((options & 0x0C) == 0x08 && (pieces & 0x03) == 0x03) {
        CollectHighKeys(field, pieces, which, &g_list);
        CheckList(&g_list);
    } else {
        ScanFile(section, length, 1, length + 1, which, &g_whole);
        ScanFile(section, length, 1, (size_t)pieces % 17 + 1, which, &g_list);
        CheckList(&g_list);
        FUZZ_CHECK(SameLists(&g_whole, &g_list));
    }
    CollectNumberedValues((const char *)section, length, which, &g_list);
    CheckList(&g_list);
    if (options & 0x10) {
        SortDeepestFirst(&g_list);
        CheckList(&g_list);
        for (int i = 1; i < g_list.count; i++)
            FUZZ_CHECK(PathDepth(g_list.values[i - 1]) >=
                       PathDepth(g_list.values[i]));
    }

    // A device name, wherever it stands, is never a removable path.
    if (NamesDevice(field))
        FUZZ_CHECK(!IsRemovablePath(field));
    FUZZ_CHECK(SamePath(field, field));
    FUZZ_CHECK(!IsInsideFolder(field, field, NULL));
    for (int i = 0; i < g_list.count && i < 8; i++) {
        const char *rest = NULL;
        if (IsInsideFolder(field, g_list.values[i], &rest))
            FUZZ_CHECK(rest != NULL && rest[0] == '\\' &&
                       PathDepth(field) > PathDepth(g_list.values[i]) - 1);
    }

    size_t outSize = (options >> 5) * 40;
    char *out = NewOutputBuffer(outSize);
    bool silent;
    if (ParseUninstallCommandLine(field, &silent, out, outSize) == 1)
        FUZZ_CHECK(TerminatedWithin(out, outSize) && out[0] != '\0');
    UninstallSwitches switches;
    if (ParseUninstallCommandLine(field, &silent, out, outSize, &switches) ==
        1)
        FUZZ_CHECK(TerminatedWithin(out, outSize) && out[0] != '\0');
    FUZZ_CHECK(TerminatedWithin(switches.report, sizeof(switches.report)));
    size_t fieldLength = strlen(field);
    for (const char *tail = NextCommandTail(field, NULL); tail != NULL;
         tail = NextCommandTail(field, tail)) {
        FUZZ_CHECK(tail > field && tail < field + fieldLength);
        FUZZ_CHECK(tail[-1] == ' ' || tail[-1] == '\t');
        ParseUninstallCommandLine(tail, &silent, out, outSize);
    }
    free(out);

    char command[PROGMAN_COMMAND_SIZE];
    int composed = ComposeDeleteItemCommand(command, sizeof(command), field,
                                            field);
    FUZZ_CHECK(composed == -1 || composed == (int)strlen(command));
    static char script[PATH_SIZE * 8];
    int scripted = ComposeSelfDeleteBatch(script, sizeof(script), field,
                                          field);
    FUZZ_CHECK(scripted == -1 || scripted == (int)strlen(script));
    char group[PATH_SIZE];
    char title[PATH_SIZE];
    for (int i = 0; i < g_list.count && i < 8; i++)
        if (SplitShortcutPath(field, g_list.values[i], group, sizeof(group),
                              title, sizeof(title)))
            FUZZ_CHECK(group[0] != '\0' && strlen(title) < sizeof(title) &&
                       IsInsideFolder(field, g_list.values[i], NULL));

    free(section);
    free(field);
    return 0;
}
