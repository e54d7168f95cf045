// The end of a removal: the uninstaller's own file, the log and the
// uninstall entry. The running program cannot delete itself, so its file
// is handed to a batch file or to the next restart.
#pragma once

#include "uninstall/removal_plan.h"

// Last of all, and only when every listed item went: the uninstaller when
// the log lists it, the log and the uninstall entry. Otherwise all three
// stay, so that the removal can be run again.
void RemoveLogAndSelf(Removal *r);
