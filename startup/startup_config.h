// Start-up configuration: where the program runs from, which language it
// speaks and where the per-language files lie.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "core/setup_limits.h"
#include "core/text/text_split.h"

// The folder of the running program, without a trailing backslash.
// Returns 1.
int GetProgramDirectory(char *buffer, size_t size);

// The start-up steps of both modes: the program directory, the language
// code the command line names ("jpn" when it names none) and the
// no-licence flag. Returns what the command line says.
CommandLineOptions ReadCommandLineConfig(const char *commandLine);

// The language chosen after the command line: by the language dialog, or
// by the answer file or the list's default in an unattended run.
void SetLanguageCode(const char *code);

// A person's language: the language dialog when a list exists, owned by
// owner; without a list (or an empty "Lang00") the files lie in the
// program folder itself (an empty code).
void AskLanguage(HWND owner);

// The configuration of an interactive start in one call:
// ReadCommandLineConfig, then AskLanguage when the command line named no
// language, then FixLanguagePaths, as the start sequence takes them.
// Returns 1.
int ReadStartupConfig(HWND owner, const char *commandLine);

// With the language code settled: the catalog and licence paths below
// the program directory, the title and company texts from the catalog.
void FixLanguagePaths();

// The language dialog (146). Its creation parameter is the address of the
// language code buffer (LANGUAGE_CODE_SIZE bytes) that receives the choice.
INT_PTR CALLBACK LanguageDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam);

// One entry of the language list: display name and code.
struct LanguageEntry {
    char name[LANGUAGE_NAME_SIZE];
    char code[LANGUAGE_TABLE_CODE_SIZE];
};

// Reads "Lang%02d" of index from the language list into entry. Returns
// false when the value is missing or empty (the list ends there).
bool ReadLanguageListEntry(const char *listPath, int index,
                           LanguageEntry *entry);

// The language list's path: program directory joined with "language.ini".
void GetLanguageListPath(char *buffer, size_t size);
