// Shortcuts of an unattended run, made without Program Manager: its
// CreateGroup and ShowGroup open a folder window on the user's screen. The
// shell's link object writes each "title.lnk" straight into the group
// folder Program Manager would have used, with the same target, arguments
// and title the interactive run gives it.
#pragma once

#include <stddef.h>

#include "shortcuts/shortcut_list.h"

// Creates the group folder and writes the list's shortcut files into it,
// each journaled (once: the uninstall log's record leaves them to this)
// before it is made, so a rollback removes them.
// Entries with an empty title, which the shortcut rule does not make, are
// left out as the conversation leaves them out. Each shortcut that cannot
// be made is a report line and counts as a shortcut failure. Returns the
// number of those.
int WriteShortcutFiles(const ShortcutList *list, int allUsers);

// Lets go of the shell's link object, which stays loaded from the first
// section that needs it to the end of the run.
void EndShortcutFiles();
