#include "core/script/shortcut_rule.h"

#include <string.h>

#include "core/progman/progman_commands.h"
#include "core/text/ascii_case.h"
#include "core/text/path_join.h"

bool FormLinkPath(const char *folder, const char *title, char *link,
                  size_t size, int codePage)
{
    if (size == 0)
        return false;
    link[0] = '\0';
    if (strlen(folder) >= size)
        return false;
    CopyText(link, size, folder, codePage);
    size_t length = 0;
    if (AppendPath(link, size, title, codePage) >= 0)
        length = strlen(link);
    if (length == 0 || length + sizeof(".lnk") > size) {
        link[0] = '\0';
        return false;
    }
    memcpy(link + length, ".lnk", sizeof(".lnk"));
    return true;
}

bool IsLinkFilePath(const char *path)
{
    size_t length = strlen(path);
    return length > 4 && CompareAsciiNoCase(path + length - 4, ".lnk") == 0;
}

// The folder field expanded, or the destination, with the file joined on.
static bool FormTarget(const ShortcutEntry *entry, const ShortcutPlace *place,
                       char *target, size_t size)
{
    if (entry->fieldCount >= 3) {
        if (!place->expand(place->context, target, size, entry->folder))
            return false;
    } else if (CopyText(target, size, place->destination, place->codePage) !=
               strlen(place->destination)) {
        return false;
    }
    return AppendPath(target, size, entry->file, place->codePage) >= 0;
}

static ShortcutVerdict ResolveLink(const ShortcutPlace *place,
                                   ResolvedShortcut *shortcut)
{
    if (place->linkFolder == NULL)
        return SHORTCUT_MADE;
    if (!FormLinkPath(place->linkFolder, shortcut->title, shortcut->link,
                      sizeof(shortcut->link), place->codePage))
        return SHORTCUT_LINK_TOO_LONG;
    // A title such as "..\x" leads out of the group, to a file no rollback
    // or uninstall may remove; "a?b" names no file at all.
    shortcut->linkVerdict = JudgeTargetPath(shortcut->link, place->codePage);
    if (shortcut->linkVerdict == TARGET_PATH_TOO_LONG)
        return SHORTCUT_LINK_TOO_LONG;
    return shortcut->linkVerdict == TARGET_PATH_OK ? SHORTCUT_MADE
                                                   : SHORTCUT_BAD_LINK;
}

static ShortcutVerdict ResolveFields(const char *value,
                                     const ShortcutPlace *place,
                                     ResolvedShortcut *shortcut)
{
    ShortcutEntry entry;
    SplitShortcutEntry(value, &entry, place->codePage);
    // A title the read may have cut (no field follows it) is not kept.
    if (entry.fieldCount >= 2 || strlen(value) <= SHORTCUT_ENTRY_SIZE - 1)
        CopyText(shortcut->title, sizeof(shortcut->title), entry.title,
                 place->codePage);
    if (strlen(value) > SHORTCUT_ENTRY_SIZE - 1 || entry.tooLong)
        return SHORTCUT_ENTRY_TOO_LONG;
    // A file field of a lone backslash joins as nothing: the shortcut
    // would start the folder.
    if (entry.fieldCount < 2 || strcmp(entry.file, "\\") == 0)
        return SHORTCUT_NO_FILE;
    // A shortcut to the folder instead of the file would be wrong.
    if (!FormTarget(&entry, place, shortcut->target,
                    sizeof(shortcut->target))) {
        shortcut->target[0] = '\0';
        return SHORTCUT_TARGET_TOO_LONG;
    }
    CopyText(shortcut->arguments, sizeof(shortcut->arguments),
             entry.arguments, place->codePage);
    char command[PROGMAN_COMMAND_SIZE];
    if (ComposeAddItemCommand(command, sizeof(command), shortcut->target,
                              shortcut->arguments, shortcut->title,
                              place->codePage) < 0)
        return SHORTCUT_NOT_CARRIED;
    return ResolveLink(place, shortcut);
}

ShortcutVerdict ResolveShortcut(const char *value, const ShortcutPlace *place,
                                ResolvedShortcut *shortcut)
{
    memset(shortcut, 0, sizeof(*shortcut));
    return ResolveFields(value, place, shortcut);
}

const char *DescribeShortcutVerdict(ShortcutVerdict verdict,
                                    TargetPathVerdict linkVerdict)
{
    switch (verdict) {
    case SHORTCUT_MADE:
        return "made";
    case SHORTCUT_ENTRY_TOO_LONG:
        return "the entry is too long to be read whole";
    case SHORTCUT_NO_FILE:
        return "the entry needs a title and a file";
    case SHORTCUT_TARGET_TOO_LONG:
        return "the target path does not fit a path";
    case SHORTCUT_LINK_TOO_LONG:
        return "the link's name does not fit a path";
    case SHORTCUT_BAD_LINK:
        return linkVerdict == TARGET_PATH_DOT_COMPONENT
                   ? "the title leads out of the group"
                   : DescribeTargetPathVerdict(linkVerdict);
    case SHORTCUT_NOT_CARRIED:
        return "Program Manager's command syntax cannot carry it";
    }
    return "not made";
}
