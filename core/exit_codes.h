// Exit codes of setup.exe and uninstall.exe, one table for both programs so
// that a deployment tool can be configured from it. A code once given keeps
// its meaning: scripts in the field test for it.
#pragma once

// setup.exe: an unattended run (-s) and, where it says so, a walked one.
enum UnattendedExit {
    UNATTENDED_INSTALLED = 0,
    UNATTENDED_NOT_STARTED = 1,       // no install script, unreadable answers
    UNATTENDED_OTHER_BRAND = 2,
    UNATTENDED_PRODUCT_INSTALLED = 3,
    UNATTENDED_UTILITY_RUNNING = 4,
    UNATTENDED_INCOMPLETE = 5,        // installed, some files or shortcuts
                                      // not made
    UNATTENDED_BAD_DESTINATION = 6,
    UNATTENDED_ROLLED_BACK = 7,       // a file failed, OnError=rollback:
                                      // the machine is as it was
    UNATTENDED_BUSY = 8,              // another setup or uninstall is
                                      // running; nothing changed, retry later
    UNATTENDED_NO_SPACE = 9,          // not enough free space; nothing changed
    UNATTENDED_MEDIA_DAMAGED = 10,    // a file differs from the media's
                                      // checksum list; rolled back
    UNATTENDED_CANCELLED = 11,        // cancelled by the user; nothing changed
    UNATTENDED_JOURNAL_FAILED = 12,   // the journal cannot be written: refused
                                      // before the first change
    UNATTENDED_EARLIER_STRANDED = 13, // an earlier run's journal could not be
                                      // undone in full; refused until it is
    UNATTENDED_UNDO_INCOMPLETE = 14,  // failed, and not everything could be
                                      // undone: the report names what stays
    UNATTENDED_MEDIA_CHECK_FAILED = 15,  // -v: files missing or damaged
    UNATTENDED_RESTART_NEEDED = 3010  // installed; files in use are
                                      // replaced at the restart
};

// uninstall.exe.
enum UninstallExitCode {
    UNINSTALL_REMOVED = 0,
    UNINSTALL_CANCELLED = 1,
    UNINSTALL_REFUSED = 2,       // log missing or unreadable, utility running
    UNINSTALL_PARTIAL = 4,       // removed in part: some listed items could
                                 // not be removed; the log and the
                                 // uninstall entry are kept
    UNINSTALL_JOURNAL_KEPT = 5,  // a journal's steps were refused or could
                                 // not all be undone; the journal is kept
    UNINSTALL_BUSY = 8,          // a setup or uninstall is running; retry
    UNINSTALL_RESTART = 3010,    // removed; some files go at the next restart
};
