// setup.exe -v: the media checked against their checksum list (MEDIA.SUM)
// without installing, so that an administrator can check a share before
// a rollout. No window; the report goes where an unattended run's goes
// (Report= of the answer file named with -a), one line per damaged or
// missing file.
#pragma once

#include "core/exit_codes.h"

// The whole check, with g_unattended set. Returns UNATTENDED_INSTALLED (0) when every listed file
// is whole, UNATTENDED_MEDIA_CHECK_FAILED when one is damaged or missing
// or the list is missing or damaged, UNATTENDED_NOT_STARTED for an
// unreadable answer file.
int RunMediaVerify(const char *commandLine);
