// The journal reader together with its judgement: whatever a line says,
// a step the judgement accepts lies inside what an install run writes: a
// side name of the run's own form, a complete local path that the target
// judgement passes (a shortcut ending in ".lnk"), or a registry step under
// HKEY_LOCAL_MACHINE in the product's, the shared library's or the user
// information's keys, the vendors' keys above them (created keys only), or
// the uninstall entry the log names.
// Input: option byte (bit 0..1: code page), the log's entry name, then
// the journal line.
#include <string.h>
#include <strings.h>

#include "fuzz/fuzz_input.h"
#include "core/log/journal.h"
#include "core/log/journal_judge.h"
#include "core/text/target_path.h"

static const char *const kWritten[] = {
    "software\\veltrane\\capturekit",
    "software\\veltrane\\capturekit\\fileagent",
    "software\\veltrane\\capturekit\\sendagent",
    "software\\vorstmark\\netlnk32",
    "software\\vorstmark\\netlnk32\\application",
};
static const char *const kCreatedOnly[] = {"software\\veltrane",
                                           "software\\vorstmark"};
static const char kUninstall[] =
    "software\\microsoft\\windows\\currentversion\\uninstall\\";

// Written independently of the judgement: folded with the C library.
static bool InList(const char *const *list, size_t count, const char *key)
{
    for (size_t i = 0; i < count; i++)
        if (strcasecmp(list[i], key) == 0)
            return true;
    return false;
}

static bool IsTheEntry(const char *key, const char *entryName)
{
    size_t root = sizeof(kUninstall) - 1;
    return entryName[0] != '\0' && strlen(key) > root &&
           strncasecmp(key, kUninstall, root) == 0 &&
           strchr(entryName, '\\') == NULL &&
           strcasecmp(key + root, entryName) == 0;
}

static void CheckAccepted(const JournalStep *step, const char *entryName,
                          int codePage)
{
    switch (step->kind) {
    case STEP_FILE:
    case STEP_REPLACE:
        FUZZ_CHECK(strncmp(step->tag, "~st", 3) == 0 &&
                   strlen(step->tag) == 8 &&
                   strspn(step->tag + 3, "0123456789ABCDEF") == 5);
        [[fallthrough]];
    case STEP_FOLDER:
    case STEP_LINK: {
        FUZZ_CHECK(JudgeTargetPath(step->path, codePage) == TARGET_PATH_OK);
        size_t length = strlen(step->path);
        FUZZ_CHECK(step->kind != STEP_LINK ||
                   (length > 4 &&
                    strcasecmp(step->path + length - 4, ".lnk") == 0));
        break;
    }
    case STEP_KEY:
    case STEP_VALUE: {
        FUZZ_CHECK(step->root == ROOT_LOCAL_MACHINE);
        bool written =
            InList(kWritten, sizeof(kWritten) / sizeof(kWritten[0]),
                   step->key) ||
            IsTheEntry(step->key, entryName) ||
            (step->kind == STEP_KEY &&
             InList(kCreatedOnly, 2, step->key));
        // A double-byte entry name folds only its single bytes; the C
        // library's folding may differ there, never for ASCII names.
        bool ascii = true;
        for (const char *p = step->key; *p != '\0'; p++)
            ascii = ascii && (unsigned char)*p < 0x80;
        FUZZ_CHECK(written || !ascii);
        break;
    }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = CodePageFromByte(options & 3);
    SetDbcsCodePage(codePage);
    char *entryName = TakeField(&reader);
    char *line = TakeField(&reader);
    JournalScope scope;
    bool named = FormJournalScope(&scope, entryName, codePage);
    FUZZ_CHECK(memchr(scope.entryKey, '\0', sizeof(scope.entryKey)) != NULL);
    FUZZ_CHECK(named || scope.entryKey[0] == '\0');
    static JournalStep step;
    if (ParseJournalStep(line, &step) &&
        JudgeJournalStep(&step, &scope, codePage) == JOURNAL_STEP_ALLOWED)
        CheckAccepted(&step, scope.entryKey[0] != '\0' ? entryName : "",
                      codePage);
    free(entryName);
    free(line);
    SetDbcsCodePage(0);
    return 0;
}
