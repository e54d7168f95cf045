// The free-space check before the first change of an install run: for
// each volume, what the run will add (its files in whole clusters, the
// largest file it replaces once more, the uninstall log, its journal and
// the report) against the volume's free space. It is a forecast: a disk
// that fills anyway during the run is rolled back as any failed copy is.
#pragma once

#include <windows.h>

// Measures the run that copies the given file sections and compares. With
// a person there, a volume too small brings one Retry / Cancel box naming
// the drive, the space needed and the space free (owner: its owner);
// Retry measures again. Unattended, each volume is a report line and a
// volume too small ends the check. Returns true when every volume has
// room (or its free space cannot be known), false when the run must not
// start. Nothing is changed either way.
bool ConfirmFreeSpace(HWND owner, const char *const *sections, int count,
                      const char *logPath);

// The bytes of the new files the last check measured (for the uninstall
// entry's EstimatedSize).
unsigned long long MeasuredInstallBytes();
