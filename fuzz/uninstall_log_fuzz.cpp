// The uninstaller's log reader on fuzzed section buffers (read exactly to
// their size, with or without final NULs), its path tests, the command line
// and the Program Manager commands: no read or write past a buffer, and
// every value taken is a usable path of a numbered key.
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "core/log/log_reader.h"
#include "core/text/device_name.h"
#include "core/progman/progman_remove_commands.h"

static LogValueList g_list;

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    SetDbcsCodePage(CodePageFromByte(options));
    LogList which = (options & 2) ? LOG_PATHS : LOG_FILES;
    char *field = TakeField(&reader);
    size_t length;
    uint8_t *section = TakeRest(&reader, &length);

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
