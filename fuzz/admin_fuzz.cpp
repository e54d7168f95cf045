// What setup forms for deployment tools from paths and commands it is
// given: a volume's root, the uninstaller's path in a command and the
// quiet uninstall command, each into a buffer of exactly its declared size
// (1 to 600 bytes), under the Western and the Shift-JIS code page.
#include <string.h>

#include "core/admin/quiet_uninstall.h"
#include "core/admin/space_need.h"
#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"

static void CheckVolumeRoot(const char *path, size_t size)
{
    char *root = NewOutputBuffer(size);
    if (FormVolumeRoot(path, root, size)) {
        size_t length = strlen(root);
        FUZZ_CHECK(length < size && length >= 3);
        FUZZ_CHECK(strncmp(root, path, length) == 0);
        FUZZ_CHECK(root[length - 1] == '\\');
    }
    FUZZ_CHECK(size == 0 || TerminatedWithin(root, size));
    free(root);
}

static void CheckQuietCommand(const char *command, const char *log,
                              size_t size)
{
    char *program = NewOutputBuffer(size);
    bool found = FindUninstallerPath(command, log, program, size);
    FUZZ_CHECK(TerminatedWithin(program, size));
    FUZZ_CHECK(!found || (program[0] != '\0' && strstr(command, program)));
    char *quiet = NewOutputBuffer(size);
    if (FormQuietUninstallCommand(program, log, quiet, size)) {
        FUZZ_CHECK(quiet[0] == '"' && strstr(quiet, "\" -s \"") != NULL);
        FUZZ_CHECK(strlen(quiet) == strlen(program) + strlen(log) + 8);
    }
    FUZZ_CHECK(TerminatedWithin(quiet, size));
    free(quiet);
    free(program);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    size_t bufferSize = (TakeByte(&reader) * 256u + TakeByte(&reader)) % 600 + 1;
    SetDbcsCodePage(CodePageFromByte(options));
    char *first = TakeField(&reader);
    char *second = TakeField(&reader);
    CheckVolumeRoot(first, bufferSize);
    CheckQuietCommand(first, second, bufferSize);
    free(first);
    free(second);
    SetDbcsCodePage(0);
    return 0;
}
