#include "common/install_report.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "common/setup_state.h"
#include "core/admin/msi_codes.h"
#include "core/exit_codes.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"

static const size_t kLineBreakSize = 2;   // "\r\n"

static HANDLE g_report = INVALID_HANDLE_VALUE;
static char g_reportPath[PATH_SIZE];
static int g_copied;
static int g_notCopied;
static int g_shortcutFailures;

int OpenInstallReport(const char *path)
{
    CloseInstallReport();
    // Others may read it while it grows, but a second setup must not
    // write into the report of the one that is running.
    g_report = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (g_report == INVALID_HANDLE_VALUE)
        return 0;
    DWORD length = GetFullPathNameA(path, sizeof(g_reportPath), g_reportPath,
                                    NULL);
    if (length == 0 || length >= sizeof(g_reportPath))
        g_reportPath[0] = '\0';
    return 1;
}

const char *InstallReportPath()
{
    return g_reportPath;
}

void CloseInstallReport()
{
    if (g_report != INVALID_HANDLE_VALUE)
        CloseHandle(g_report);
    g_report = INVALID_HANDLE_VALUE;
    g_reportPath[0] = '\0';
}

void ResetShortcutFailures()
{
    g_shortcutFailures = 0;
}

// By character: a line break inside an event would start a false line.
static void FlattenLineBreaks(char *text)
{
    for (char *p = text; *p != '\0'; p = NextChar(p)) {
        if (*p == '\r' || *p == '\n')
            *p = ' ';
    }
}

static bool g_reportQuiet;

bool SetReportQuiet(bool quiet)
{
    bool was = g_reportQuiet;
    g_reportQuiet = quiet;
    return was;
}

void ReportLine(const char *format, ...)
{
    if (g_report == INVALID_HANDLE_VALUE || g_reportQuiet)
        return;
    char line[REPORT_LINE_SIZE];
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    // Room for the line break. The whole buffer was filled first, so a
    // double-byte character across the cut is seen whole and dropped
    // rather than left as a lone lead byte.
    CutText(line, sizeof(line) - kLineBreakSize);
    FlattenLineBreaks(line);
    size_t used = strlen(line);
    line[used++] = '\r';
    line[used++] = '\n';
    DWORD written;
    // Written at once, so a run that breaks off leaves what it did.
    WriteFile(g_report, line, (DWORD)used, &written, NULL);
}

void ReportFileCopied(const char *target)
{
    g_copied++;
    ReportLine("copied: %s", target);
}

// The system's text for an error, without its closing line break.
void GetErrorText(DWORD error, char *text, size_t size)
{
    text[0] = '\0';
    if (error == ERROR_DAMAGED_ON_MEDIUM) {
        CopyText(text, size,
                 "damaged on the medium: its size or SHA-256 differs from "
                 "the media's checksum list (MEDIA.SUM), or the list does "
                 "not name it");
        return;
    }
    if (error == ERROR_MEDIA_LIST_DAMAGED) {
        CopyText(text, size,
                 "the media's checksum list (MEDIA.SUM) is damaged, so no "
                 "file of the media can be trusted");
        return;
    }
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
        error, 0, text, (DWORD)size, NULL);
    if (length == 0 || length >= size)
        text[0] = '\0';
    size_t end = strlen(text);
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' ||
                       text[end - 1] == ' '))
        text[--end] = '\0';
}

void ReportFileNotCopied(const char *source, const char *file, DWORD error)
{
    g_notCopied++;
    if (error == 0) {
        ReportLine("not copied: %s (the name or folder does not fit a path)",
                   file);
        return;
    }
    char reason[256];
    GetErrorText(error, reason, sizeof(reason));
    if (source[0] == '\0')
        ReportLine("not copied: %s (error %lu: %s)", file,
                   (unsigned long)error, reason);
    else
        ReportLine("not copied: %s from %s (error %lu: %s)", file, source,
                   (unsigned long)error, reason);
}

void ReportSectionCopied(const char *section)
{
    ReportLine("section %s: %d copied, %d not copied", section, g_copied,
               g_notCopied);
    g_copied = 0;
    g_notCopied = 0;
}

static const char *RootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    return "registry";
}

void ReportRegistryWrite(HKEY root, const char *key, const char *value,
                         bool written)
{
    ReportLine("registry: %s\\%s \"%s\" %s", RootName(root), key, value,
               written ? "written" : "not written");
}

void ReportProgmanMessage(const char *text, const char *title, bool warning,
                          const char *command)
{
    if (warning) {
        g_shortcutFailures++;
        ReportLine("Program Manager: %s", text);
        return;
    }
    const char *what = command != NULL && command[0] != '\0' ? command : title;
    ReportLine("Program Manager: failed: %s: %s", what, text);
}

int CountShortcutFailures()
{
    return g_shortcutFailures;
}

void ReportShortcutNotMade(const char *title, const char *reason)
{
    g_shortcutFailures++;
    ReportLine("shortcut not made: %s (%s)", title, reason);
}

static int g_resultCode = UNATTENDED_CANCELLED;
static const char *g_resultMeaning = "cancelled by the user, nothing changed";
static bool g_msiCodes;
static bool g_msiUninstaller;

void SetRunResult(int code, const char *meaning)
{
    g_resultCode = code;
    g_resultMeaning = meaning;
}

void SetMsiExitCodes(bool msi, bool uninstaller)
{
    g_msiCodes = msi;
    g_msiUninstaller = uninstaller;
}

int EndRun(int code, const char *meaning)
{
    if (!g_msiCodes) {
        ReportLine("result: %s (exit code %d)", meaning, code);
        CloseInstallReport();
        return code;
    }
    int msi = g_msiUninstaller ? UninstallMsiCode(code) : SetupMsiCode(code);
    ReportLine("result: %s (exit code %d, returned as Windows Installer's "
               "%d)", meaning, code, msi);
    CloseInstallReport();
    return msi;
}

int EndRunWithResult()
{
    return EndRun(g_resultCode, g_resultMeaning);
}

void ReportRunStart(const char *version, const char *destination)
{
    ReportLine("start: version %s, language %s, destination %s, group %s",
               version, g_languageCode, destination, g_programGroup);
}
