// The Program Manager commands that remove an installation's shortcuts,
// and the split of a logged shortcut path into its group and title.
#pragma once

#include <stddef.h>

// Composes [ShowGroup("group",1)][DeleteItem("title")]: ShowGroup makes the
// group current for DeleteItem. Returns the length, or -1 (command empty)
// when it does not fit or a name holds a double quote.
int ComposeDeleteItemCommand(char *command, size_t size, const char *group,
                             const char *title);
// [DeleteGroup("group")], the same way.
int ComposeDeleteGroupCommand(char *command, size_t size, const char *group);

// Splits a shortcut path ("PROGRAMS\Group\Sub\Title.lnk") under the
// Programs folder programs into its group (the folder path below programs,
// "Group\Sub") and title. Returns false when the path does not lie in a
// folder below programs, is no ".lnk", or a part does not fit.
bool SplitShortcutPath(const char *path, const char *programs, char *group,
                       size_t groupSize, char *title, size_t titleSize);

