#include "core/progman/progman_remove_commands.h"

#include <stdio.h>
#include <string.h>

#include "core/log/log_reader.h"
#include "core/script/shortcut_rule.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"

static int Checked(char *command, size_t size, int wanted)
{
    if (wanted < 0 || (size_t)wanted >= size) {
        command[0] = '\0';
        return -1;
    }
    return wanted;
}

int ComposeDeleteItemCommand(char *command, size_t size, const char *group,
                             const char *title)
{
    if (size == 0)
        return -1;
    // A quoted argument runs to the next quote.
    if (strchr(group, '"') != NULL || strchr(title, '"') != NULL) {
        command[0] = '\0';
        return -1;
    }
    return Checked(command, size,
                   snprintf(command, size,
                            "[ShowGroup(\"%s\",1)][DeleteItem(\"%s\")]",
                            group, title));
}

int ComposeDeleteGroupCommand(char *command, size_t size, const char *group)
{
    if (size == 0)
        return -1;
    if (strchr(group, '"') != NULL) {
        command[0] = '\0';
        return -1;
    }
    return Checked(command, size,
                   snprintf(command, size, "[DeleteGroup(\"%s\")]", group));
}

bool SplitShortcutPath(const char *path, const char *programs, char *group,
                       size_t groupSize, char *title, size_t titleSize)
{
    const char *rest;
    if (!IsInsideFolder(path, programs, &rest))
        return false;
    rest++;
    const char *name = FindLastSeparator(rest);
    if (name == NULL || name == rest)
        return false;   // directly in the Programs folder: no group
    name++;
    size_t nameLength = strlen(name);
    if (!IsLinkFilePath(name))
        return false;
    if (nameLength - 4 >= titleSize)
        return false;
    // The group is the whole folder path below Programs: a nested group
    // ("Acme\Tools") is no top-level "Tools" of another program.
    size_t groupLength = (size_t)(name - 1 - rest);
    if (groupLength >= groupSize)
        return false;
    memcpy(group, rest, groupLength);
    group[groupLength] = '\0';
    memcpy(title, name, nameLength - 4);
    title[nameLength - 4] = '\0';
    return true;
}
