// The shortcut rule on fuzzed entries, destinations and link folders of
// any length: every result ends within its buffer, a shortcut is made only
// from a whole entry (its title a run of the value, its link the folder,
// the title and ".lnk"), and an entry refused before its link has none.
#include <stdlib.h>
#include <string.h>

#include "core/script/folder_macros.h"
#include "core/script/shortcut_rule.h"
#include "core/text/dbcs.h"
#include "fuzz/fuzz_input.h"

static bool ExpandFuzzed(void *context, char *expanded, size_t size,
                         const char *field)
{
    const char *folder = (const char *)context;
    FolderMacroValues values = {folder, folder, "jpn", folder};
    return ReplaceFolderMacros(expanded, size, field, &values);
}

static void CheckMade(const char *value, const ShortcutPlace *place,
                      const ResolvedShortcut *shortcut)
{
    FUZZ_CHECK(strlen(value) <= (size_t)SHORTCUT_ENTRY_SIZE - 1);
    FUZZ_CHECK(shortcut->title[0] != '\0');
    FUZZ_CHECK(shortcut->target[0] != '\0');
    if (place->linkFolder == NULL)
        return;
    size_t folderLength = strlen(place->linkFolder);
    FUZZ_CHECK(strncmp(shortcut->link, place->linkFolder, folderLength) ==
               0);
    FUZZ_CHECK(IsLinkFilePath(shortcut->link));
    FUZZ_CHECK(JudgeTargetPath(shortcut->link) == TARGET_PATH_OK);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    SetDbcsCodePage(CodePageFromByte(options));
    char *destination = TakeField(&reader);
    char *linkFolder = TakeField(&reader);
    char *value = TakeField(&reader);

    ShortcutPlace place = {destination, (options & 2) ? linkFolder : NULL,
                           ExpandFuzzed, destination, CURRENT_CODE_PAGE};
    ResolvedShortcut *shortcut =
        (ResolvedShortcut *)malloc(sizeof(ResolvedShortcut));
    memset(shortcut, '#', sizeof(*shortcut));
    ShortcutVerdict verdict = ResolveShortcut(value, &place, shortcut);
    FUZZ_CHECK(TerminatedWithin(shortcut->title, PATH_SIZE));
    FUZZ_CHECK(TerminatedWithin(shortcut->target, PATH_SIZE));
    FUZZ_CHECK(TerminatedWithin(shortcut->arguments, PATH_SIZE));
    FUZZ_CHECK(TerminatedWithin(shortcut->link, PATH_SIZE));
    FUZZ_CHECK(strstr(value, shortcut->title) != NULL);
    if (verdict == SHORTCUT_MADE)
        CheckMade(value, &place, shortcut);
    else if (verdict != SHORTCUT_BAD_LINK)
        FUZZ_CHECK(shortcut->link[0] == '\0');
    free(shortcut);
    free(value);
    free(linkFolder);
    free(destination);
    SetDbcsCodePage(0);
    return 0;
}
