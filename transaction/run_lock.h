// One installation or removal at a time on the whole machine: setup.exe in
// both modes and uninstall.exe take one named lock before they look at a
// journal or change anything, and hold it until they end. Its name lives
// in the global namespace where Terminal Services make sessions ("Global\"
// on the NT family), so a run in another session counts too; the 95 family
// and NT 4.0 without Terminal Services know one namespace only. A run that
// is killed leaves the lock to the system, which frees it with the
// process: the next run then recovers the killed run's journal.
#pragma once

// The lock's name without the namespace prefix.
extern const char kRunLockName[];

// Takes the lock. Returns false when another process holds it (the caller
// must then change nothing); true when it is this process's now, also when
// the system offers no lock at all.
bool TakeRunLock();
