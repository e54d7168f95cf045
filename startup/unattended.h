// setup.exe -s: the installation without a person. No window and no box;
// the answer file (-a<file>) settles what the wizard would ask, and the
// exit code and the report say how it went.
#pragma once

#include "core/exit_codes.h"

// The whole unattended run over the shared setup state, from the command
// line copy to the end of the installation. Returns the exit code.
int RunUnattended(const char *commandLine);
