// The destination folder: the default (the system's program files folder
// joined with the install script's product folder) and the check a chosen
// folder must pass, shared by the wizard and the unattended run.
#pragma once

#include <stddef.h>

// Reads HKEY_LOCAL_MACHINE "Software\Microsoft\Windows\CurrentVersion"
// "ProgramFilesDir" into buffer (size bytes, always terminated). Returns
// the length read, or 0 with the buffer left as it was.
int ReadProgramFilesDir(char *buffer, size_t size);

// Writes the default destination into buffer (size bytes): the program
// files folder joined with [Directry] "DstDirectry" of the install script,
// whose own "c:\Program Files\" start is dropped.
void ComputeDefaultDestination(char *buffer, size_t size);

// The checks of the folder browser's OK: "X:\" on a fixed drive, nothing
// after it that a folder name cannot hold, at most 259 characters.
bool IsAcceptableFolder(const char *text);
