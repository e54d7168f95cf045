// The default destination folder: the system's program files folder
// joined with the install script's product folder.
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
