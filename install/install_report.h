// The report of an unattended installation: a plain text file in the
// system code page, one line per event. In an unattended run the engine's
// message boxes become lines of it; with no report open the lines go
// nowhere, and a report that cannot be written stops nothing.
#pragma once

#include <windows.h>

// Creates (or empties) the report file. Returns 1, or 0 when it cannot be
// written; the run then goes on without it.
int OpenInstallReport(const char *path);
void CloseInstallReport();

// An unattended run shows no box: the engine's messages become lines.
void SetUnattendedRun(bool unattended);
bool IsUnattendedRun();

// While quiet, lines go nowhere: a step that reports as one line of its
// own (the recovery at start) silences the lines of its parts.
bool SetReportQuiet(bool quiet);   // returns the setting it replaces

// One line, printf style, cut on a character boundary to the line buffer;
// line breaks inside it become blanks.
void ReportLine(const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The system's text for an error code (size bytes), for the report lines
// and the boxes that name a reason.
void GetErrorText(DWORD error, char *text, size_t size);

// The file copier's events; error 0 means that the name or folder did
// not fit a path. ReportSectionCopied sums up the files reported since its
// last call.
void ReportFileCopied(const char *target);
void ReportFileNotCopied(const char *file, DWORD error);
void ReportSectionCopied(const char *section);

// A registry value written, or not, by the installation.
void ReportRegistryWrite(HKEY root, const char *key, const char *value,
                         bool written);

// A Program Manager warning or diagnostic: a box with a person there,
// otherwise a line naming the command that failed (or the title when no
// command was composed yet). Warnings (MB_ICONWARNING) count as shortcuts
// that could not be made.
void ShowShortcutMessage(HWND owner, const char *text, const char *title,
                         UINT style, const char *command);
int CountShortcutFailures();

// A shortcut file the unattended run could not make, with the reason; it
// counts as a shortcut that could not be made.
void ReportShortcutNotMade(const char *title, const char *reason);
