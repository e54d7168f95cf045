// The removal in order, as its plan decided it: the files (shortcuts
// first), the folders, the registry keys. Each step is reported to the
// progress callback before it acts.
#pragma once

#include "uninstall/removal_plan.h"

void RemoveFiles(Removal *r);
void RemoveFolders(Removal *r);
void RemoveRegistry(Removal *r);
