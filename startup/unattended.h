// setup.exe -s: the installation without a person. No window and no box;
// the answer file (-a<file>) settles what the wizard would ask, and the
// exit code and the report say how it went.
#pragma once

// Exit codes of an unattended run.
enum UnattendedExit {
    UNATTENDED_INSTALLED = 0,
    UNATTENDED_NOT_STARTED = 1,       // no install script, unreadable
                                      // answers, or another setup running
    UNATTENDED_OTHER_BRAND = 2,
    UNATTENDED_PRODUCT_INSTALLED = 3,
    UNATTENDED_UTILITY_RUNNING = 4,
    UNATTENDED_INCOMPLETE = 5,        // installed, some files or shortcuts
                                      // not made
    UNATTENDED_BAD_DESTINATION = 6,
    UNATTENDED_ROLLED_BACK = 7,       // a file failed, OnError=rollback:
                                      // the machine is as it was
    UNATTENDED_RESTART_NEEDED = 3010  // installed; files in use are
                                      // replaced at the restart
};

// The whole unattended run over the shared setup state, from the command
// line copy to the end of the installation. Returns the exit code.
int RunUnattended(const char *commandLine);
