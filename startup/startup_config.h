// Start-up configuration: where the program runs from, which language it
// speaks and where the per-language files lie.
#pragma once

#include <windows.h>
#include <stddef.h>

// The folder of the running program, without a trailing backslash.
// Returns 1.
int GetProgramDirectory(char *buffer, size_t size);

// Fills the program directory, language code (from the command line or the
// language dialog), no-licence flag, catalog and licence paths, title and
// company texts. The owner becomes the language dialog's owner. Returns 1.
int ReadStartupConfig(HWND owner, const char *commandLine);

// The language dialog (146). Its creation parameter is the address of the
// language code buffer (LANGUAGE_CODE_SIZE bytes) that receives the choice.
INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam);

// Moves a window to the centre of the screen.
void CenterWindow(HWND window);

// The language list's path: program directory joined with "language.ini".
void GetLanguageListPath(char *buffer, size_t size);
