#include "install/progman_commands.h"

#include <stdio.h>
#include <string.h>

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

int ComposeCreateGroupCommand(char *command, size_t size, const char *group,
                              int commonGroup)
{
    if (size == 0)
        return -1;
    memset(command, 0, size);
    int wanted = snprintf(command, size,
                          "[CreateGroup(\"%s\",%d)][ShowGroup(\"%s\",1)]",
                          group, commonGroup, group);
    return Finish(command, size, wanted);
}

int ComposeAddItemCommand(char *command, size_t size, const char *path,
                          const char *arguments, const char *title)
{
    if (size == 0)
        return -1;
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
