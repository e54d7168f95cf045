// Shortcuts that Program Manager made go through it: DeleteItem for each,
// DeleteGroup for a group left empty. Whatever it leaves (no Program
// Manager, a failed command, a shortcut it put under the other Programs
// folder) is then deleted as a file.
#pragma once

#include "core/progman/progman_remove_commands.h"

struct LogValueList;

// Asks Program Manager to delete the shortcuts among the paths (values
// ending in ".lnk") and then each of their groups that is left empty. What
// it leaves is for the caller to delete as files.
void DeleteThroughProgman(const LogValueList *shortcuts);
