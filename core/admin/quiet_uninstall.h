// The uninstall entry's QuietUninstallString, formed from its
// UninstallString (the install script's ExeFile, expanded) and the log.
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

// The uninstaller's own path in command: inside the quotes when it starts
// with one; else what precedes the log argument at its end (quoted or
// not); else the first token when it has no blank; else up to the first
// ".exe" that a blank or the end follows. Returns false when none of these
// holds or the path does not fit program (size bytes).
bool FindUninstallerPath(const char *command, const char *logPath,
                         char *program, size_t size,
                         int codePage = CURRENT_CODE_PAGE);

// "<program>" -s "<log>", both quoted so that blanks cannot split them.
// Returns false (quiet empty) when it does not fit or a path holds a quote.
bool FormQuietUninstallCommand(const char *program, const char *logPath,
                               char *quiet, size_t size);
