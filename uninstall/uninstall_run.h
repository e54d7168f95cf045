// The removal of one installation, as its uninstall log lists it: planned
// (removal_plan), carried out in order (removal_steps) and ended with the
// log and the uninstaller itself (self_delete).
#pragma once

#include <windows.h>

#include "core/exit_codes.h"
#include "core/setup_limits.h"
#include "log/uninstaller_notes.h"
#include "uninstall/removal_plan.h"

// Removes everything the log lists; when all of it went, also the log, the
// uninstall entry and the uninstaller itself when the log lists it.
// progress may be NULL. Returns UNINSTALL_REMOVED, UNINSTALL_RESTART or
// UNINSTALL_PARTIAL.
int RemoveInstallation(const char *logPath, const UninstallNotes *notes,
                       RemovalReport *report, RemovalProgress progress,
                       void *context);
