#include "uninstall/progman_remove.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "common/dbcs.h"
#include "common/setup_limits.h"

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

bool SplitShortcutPath(const char *path, char *group, size_t groupSize,
                       char *title, size_t titleSize)
{
    const char *name = FindLastSeparator(path);
    if (name == NULL || name == path)
        return false;
    name++;
    size_t nameLength = strlen(name);
    if (nameLength <= 4 || strncasecmp(name + nameLength - 4, ".lnk", 4) != 0)
        return false;
    if (nameLength - 4 >= titleSize)
        return false;
    // The folder's name: from the separator before the last one.
    char folder[PATH_SIZE];
    size_t folderLength = (size_t)(name - 1 - path);
    if (folderLength >= sizeof(folder))
        return false;
    memcpy(folder, path, folderLength);
    folder[folderLength] = '\0';
    const char *groupName = FindLastSeparator(folder);
    if (groupName == NULL || groupName[1] == '\0' ||
        strlen(groupName + 1) >= groupSize)
        return false;
    strcpy(group, groupName + 1);
    memcpy(title, name, nameLength - 4);
    title[nameLength - 4] = '\0';
    return true;
}
