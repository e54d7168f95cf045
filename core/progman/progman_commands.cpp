#include "core/progman/progman_commands.h"

#include <stdio.h>
#include <string.h>

#include "core/text/dbcs.h"

// snprintf reports the length it wanted; anything that did not fit whole
// is thrown away.
static int Finish(char *command, size_t size, int wanted)
{
    if (wanted < 0 || (size_t)wanted >= size) {
        if (size > 0)
            memset(command, 0, size);
        return -1;
    }
    return wanted;
}

// Program Manager reads a quoted argument up to the next double quote, and
// an unquoted one up to a comma or parenthesis; brackets delimit commands.
// Text that would end its argument early could close the command and start
// another one, so it is refused rather than passed on.
static bool QuotableText(const char *text)
{
    return strchr(text, '"') == NULL;
}

static bool PlainArguments(const char *text, int codePage)
{
    for (const char *p = text; *p != '\0'; p = NextChar(p, codePage)) {
        if (strchr("\",()[]", *p) != NULL)
            return false;
    }
    return true;
}

static int Refuse(char *command, size_t size)
{
    memset(command, 0, size);
    return -1;
}

int ComposeCreateGroupCommand(char *command, size_t size, const char *group,
                              int commonGroup)
{
    if (size == 0)
        return -1;
    if (!QuotableText(group))
        return Refuse(command, size);
    memset(command, 0, size);
    int wanted = snprintf(command, size,
                          "[CreateGroup(\"%s\",%d)][ShowGroup(\"%s\",1)]",
                          group, commonGroup, group);
    return Finish(command, size, wanted);
}

int ComposeAddItemCommand(char *command, size_t size, const char *path,
                          const char *arguments, const char *title,
                          int codePage)
{
    if (size == 0)
        return -1;
    if (!QuotableText(path) || !QuotableText(title) ||
        !PlainArguments(arguments, codePage))
        return Refuse(command, size);
    memset(command, 0, size);
    int wanted = snprintf(command, size, "[AddItem(\"%s\" %s,\"%s\")]", path,
                          arguments, title);
    return Finish(command, size, wanted);
}

int ComposeExitCommand(char *command, size_t size)
{
    if (size == 0)
        return -1;
    memset(command, 0, size);
    return Finish(command, size, snprintf(command, size, "[ExitProgman(1)]"));
}

void NoteSkippedShortcut(ShortcutSkips *skips, const char *title)
{
    if (skips == NULL)
        return;
    if (skips->count >= 0 && skips->count < SKIPPED_TITLES_KEPT)
        CopyText(skips->titles[skips->count], sizeof(skips->titles[0]),
                 title);
    skips->count++;
}
