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

// The open report's full path, or "" when none is open.
const char *InstallReportPath();

// Tests only: the shortcut failures counted so far are forgotten.
void ResetShortcutFailures();

// While quiet, lines go nowhere: a step that reports as one line of its
// own (the recovery at start) silences the lines of its parts.
bool SetReportQuiet(bool quiet);   // returns the setting it replaces

// How the run ended, for its exit code (core/exit_codes.h) and the
// report's last line; meaning must outlive the run (a literal). Set by
// whoever decides the outcome. A walked run that ends with none set was
// cancelled by the user (UNATTENDED_CANCELLED).
void SetRunResult(int code, const char *meaning);

// EndRun returns Windows Installer's code (core/admin/msi_codes.h) in
// place of the program's own: -m, or Codes=msi in the answer file.
// uninstaller: the uninstaller's table is used instead of setup's.
void SetMsiExitCodes(bool msi, bool uninstaller);

// The report's last line, "result: <meaning> (exit code N)", with the
// Windows Installer code beside it when that is returned; then the report
// is closed. Returns the code the process ends with.
int EndRun(int code, const char *meaning);

// EndRun with what SetRunResult set.
int EndRunWithResult();

// The start line: version, language, destination and group.
void ReportRunStart(const char *version, const char *destination);

// One line, printf style, cut on a character boundary to the line buffer;
// line breaks inside it become blanks.
void ReportLine(const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A copy that failed because the media's checksum list says so (bit 29:
// an application's own code): the file differs from the list or is not in
// it; or the list itself is damaged, so nothing of the media is trusted.
constexpr DWORD ERROR_DAMAGED_ON_MEDIUM = 0x20000000 | 0x5301;
constexpr DWORD ERROR_MEDIA_LIST_DAMAGED = 0x20000000 | 0x5302;

// The system's text for an error code (size bytes), or the engine's own
// for the codes above, for the report lines and the boxes that name a
// reason.
void GetErrorText(DWORD error, char *text, size_t size);

// The file copier's events; error 0 means that the name or folder did
// not fit a path. A file not copied is named with the source it was to be
// read from ("" when there is none) and its target: a file missing from
// the medium is told apart from one that could not be written.
// ReportSectionCopied sums up the files reported since its last call.
void ReportFileCopied(const char *target);
void ReportFileNotCopied(const char *source, const char *file, DWORD error);
void ReportSectionCopied(const char *section);

// A registry value written, or not, by the installation.
void ReportRegistryWrite(HKEY root, const char *key, const char *value,
                         bool written);

// A Program Manager warning or diagnostic of an unattended run, which
// shows no box: a line naming the command that failed (or the title when
// no command was composed yet). A warning counts as a shortcut that could
// not be made.
void ReportProgmanMessage(const char *text, const char *title, bool warning,
                          const char *command);
int CountShortcutFailures();

// A shortcut file the unattended run could not make, with the reason; it
// counts as a shortcut that could not be made.
void ReportShortcutNotMade(const char *title, const char *reason);
