// Device names in paths. Windows opens a device, not a file, for a path
// whose component is NUL, CON, PRN, AUX, COM0-9, LPT0-9 (also with the
// superscript digits), CONIN$, CONOUT$ or CLOCK$, in any case, with any
// extension ("con.txt", "nul.tar.gz"), with a colon or with trailing
// blanks and dots ("CON .txt", "aux."), in any folder. Deleting such a
// path schedules "\??\COM1" for the restart instead of failing, so the
// uninstaller refuses it before any call.
#pragma once

#include "core/text/dbcs.h"

// Whether any component of path (separated by '\' or '/', whole
// characters stepped in codePage) names a device.
bool NamesDevice(const char *path, int codePage = CURRENT_CODE_PAGE);
