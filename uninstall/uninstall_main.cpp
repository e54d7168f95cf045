// uninstall.exe [-s] LOG: removes the installation that the uninstall log
// LOG lists. Interactive: one confirmation, a progress dialog, one closing
// message. -s: no window at all. The exit code is the result (see
// uninstall_run.h).
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include "common/install_report.h"
#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "progress/run_boxes.h"
#include "transaction/journal_writer.h"
#include "transaction/run_lock.h"
#include "transaction/transaction.h"
#include "uninstall/progress_dialog.h"
#include "uninstall/uninstall_run.h"
#include "uninstall/uninstall_texts.h"

static int Refuse(bool silent, const UninstallTexts *texts,
                  const char *format, const char *detail)
{
    if (!silent) {
        char text[PATH_SIZE + 256];
        snprintf(text, sizeof(text), format, detail);
        MessageBoxA(NULL, text, texts->title, MB_ICONWARNING);
    }
    return UNINSTALL_REFUSED;
}

static bool Confirm(const UninstallTexts *texts, const char *logPath)
{
    char name[DISPLAY_NAME_SIZE];
    ReadDisplayName(logPath, name, sizeof(name));
    char text[DISPLAY_NAME_SIZE + 256];
    snprintf(text, sizeof(text), texts->confirm, name);
    return MessageBoxA(NULL, text, texts->title,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// The report's words for each exit code.
static const char *MeaningOf(int code)
{
    switch (code) {
    case UNINSTALL_REMOVED:
        return "removed";
    case UNINSTALL_CANCELLED:
        return "cancelled by the user, nothing changed";
    case UNINSTALL_REFUSED:
        return "refused";
    case UNINSTALL_PARTIAL:
        return "removed in part, the log and the uninstall entry are kept";
    case UNINSTALL_JOURNAL_KEPT:
        return "an earlier run's journal could not be undone in full; it is "
               "kept";
    case UNINSTALL_BUSY:
        return "refused, another installation or uninstall is running";
    case UNINSTALL_RESTART:
        return "removed, files in use go at the next restart";
    default:
        return "ended";
    }
}

static int Uninstall(HINSTANCE instance, bool silent, const char *logPath)
{
    // No journal is looked at while a setup or another uninstall runs: a
    // live run's journal says "in progress" as a killed run's does.
    if (!TakeRunLock()) {
        ReportLine("another installation or uninstall is running");
        if (!silent)
            MessageBoxA(NULL, ChooseTexts("")->busy, ChooseTexts("")->title,
                        MB_ICONWARNING);
        return UNINSTALL_BUSY;
    }
    // A run that never committed is undone, not uninstalled: the files it
    // replaced come back and the old values return. A journal step that is
    // refused, or cannot be undone, keeps the journal for the next try (and
    // the report names it).
    if (IsInterruptedLog(logPath)) {
        bool whole = RollBackInstallation(logPath) == INSTALL_ROLLED_BACK;
        if (!silent && whole)
            ShowEarlierRunUndone(NULL);
        else if (!silent)
            MessageBoxA(NULL, ChooseTexts("")->journalKept,
                        ChooseTexts("")->title, MB_ICONWARNING);
        return whole ? UNINSTALL_REMOVED : UNINSTALL_JOURNAL_KEPT;
    }
    // A run cut off while it committed keeps backups the log does not
    // list for removal: they go before the installation does.
    if (FinishCutCommit(logPath) && HasJournal(logPath)) {
        if (!silent)
            MessageBoxA(NULL, ChooseTexts("")->journalKept,
                        ChooseTexts("")->title, MB_ICONWARNING);
        return UNINSTALL_JOURNAL_KEPT;
    }
    if (!IsUsableLog(logPath)) {
        ReportLine("no usable log: %s", logPath);
        return Refuse(silent, ChooseTexts(""), ChooseTexts("")->noLog,
                      logPath);
    }

    UninstallNotes notes;
    ReadUninstallNotes(logPath, &notes);
    const UninstallTexts *texts = ChooseTexts(notes.language);
    if (IsUtilityRunning(&notes)) {
        ReportLine("the file utility is running");
        return Refuse(silent, texts, "%s", texts->utilityRunning);
    }
    if (!silent && !Confirm(texts, logPath))
        return UNINSTALL_CANCELLED;

    HWND progress = NULL;
    if (!silent)
        progress = OpenProgressDialog(instance, texts->title,
                                      texts->removing);
    RemovalReport report;
    int result = RemoveInstallation(logPath, &notes, &report,
                                    ShowRemovalStep, progress);
    if (progress != NULL)
        DestroyWindow(progress);
    if (!silent) {
        char text[4 * PATH_SIZE + 1024];
        FormatClosingMessage(texts, &report, text, sizeof(text));
        MessageBoxA(NULL, text, texts->title, MB_ICONINFORMATION);
    }
    return result;
}

// -o and -m are taken even from a command line that is refused, so that
// the refusal reaches the report and the code the tool expects.
static int Run(HINSTANCE instance, const char *commandLine)
{
    bool silent = false;
    char logPath[PATH_SIZE];
    UninstallSwitches switches;
    int parsed = ParseUninstallCommandLine(commandLine, &silent, logPath,
                                           sizeof(logPath), &switches);
    SetMsiExitCodes(switches.msiCodes, true);
    if (switches.report[0] != '\0')
        OpenInstallReport(switches.report);
    if (!parsed) {
        ReportLine("the command line is not understood: %s", commandLine);
        int code = Refuse(silent, ChooseTexts(""), "%s",
                          ChooseTexts("")->usage);
        return EndRun(code, MeaningOf(code));
    }
    ReportLine("uninstall: log %s", logPath);
    int code = Uninstall(instance, silent, logPath);
    return EndRun(code, MeaningOf(code));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    InitCommonControls();
    return Run(instance, commandLine);
}
