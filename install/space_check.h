// The free-space check before the first change of an install run: for
// each volume, what the run will add (its files in whole clusters, the
// largest file it replaces once more, the uninstall log, its journal and
// the report) against the volume's free space. It is a forecast: a disk
// that fills anyway during the run is rolled back as any failed copy is.
#pragma once

#include <windows.h>

// Asked about a volume too small for the run: the drive, the bytes needed
// and the bytes free. true: measure again; false: the run does not start.
typedef bool (*SpaceQuestion)(void *context, const char *root,
                              unsigned long long need,
                              unsigned long long free);

// Measures the run that copies the given file sections and compares. A
// volume too small is asked about (ask NULL: nobody is there to ask) and
// is a report line when the run does not start. Returns true when every
// volume has room (or its free space cannot be known), false when the run
// must not start. Nothing is changed either way.
bool ConfirmFreeSpace(SpaceQuestion ask, void *context,
                      const char *const *sections, int count,
                      const char *logPath);

// The bytes of the new files the last check measured (for the uninstall
// entry's EstimatedSize).
unsigned long long MeasuredInstallBytes();
