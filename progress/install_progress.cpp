#include "progress/install_progress.h"

#include <stdio.h>
#include <string.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "install/install_run.h"
#include "progress/run_boxes.h"
#include "resources/resource.h"
#include "wizard/catalog.h"

static const UINT_PTR kRunTimer = 4;
static const UINT kRunDelayMs = 500;

static double g_lastRunMs;

// The skipped shortcuts' line: their number and the titles kept.
static void AppendSkippedShortcuts(char *text, size_t size,
                                   const ShortcutSkips *skips)
{
    size_t length = strlen(text);
    snprintf(text + length, size - length,
             "%s%d shortcut(s) could not be registered:", length ? "\n" : "",
             skips->count);
    int kept = skips->count < SKIPPED_TITLES_KEPT ? skips->count
                                                  : SKIPPED_TITLES_KEPT;
    for (int i = 0; i < kept; i++) {
        length = strlen(text);
        snprintf(text + length, size - length, "%s %s", i ? "," : "",
                 skips->titles[i]);
    }
    if (kept < skips->count) {
        length = strlen(text);
        snprintf(text + length, size - length, " ...");
    }
}

void ReportCopyFailures(HWND owner, const CopyFailures *failures)
{
    if (failures->count == 0 && failures->shortcuts.count == 0)
        return;
    char text[PATH_SIZE * (SKIPPED_TITLES_KEPT + 2)];
    text[0] = '\0';
    if (failures->count > 0)
        snprintf(text, sizeof(text),
                 "%d file(s) could not be copied.\nThe first one: %s",
                 failures->count, failures->firstFile);
    if (failures->shortcuts.count > 0)
        AppendSkippedShortcuts(text, sizeof(text), &failures->shortcuts);
    MessageBoxA(owner, text, "INSTALL SYSTEM INFO.", MB_ICONWARNING);
}

double GetLastInstallRunTime()
{
    return g_lastRunMs;
}

static bool s_askAboutFailures;

static void OnInitDialog(HWND dialog, LPARAM parameter)
{
    s_askAboutFailures = parameter != PROGRESS_IGNORES_FAILURES;
    SetCatalogText(dialog, IDC_PROGRESS_CAPTION, g_catalogPath, "static",
                   "COPYING", NULL);
    if (g_standardFont != NULL) {
        SendDlgItemMessageA(dialog, IDC_PROGRESS_CAPTION, WM_SETFONT,
                            (WPARAM)g_standardFont, FALSE);
        SendDlgItemMessageA(dialog, IDC_PROGRESS_FILE, WM_SETFONT,
                            (WPARAM)g_standardFont, FALSE);
    }
    SetTimer(dialog, kRunTimer, kRunDelayMs, NULL);
}

static void OnRunTimer(HWND dialog)
{
    KillTimer(dialog, kRunTimer);
    CopyFailures failures;
    memset(&failures, 0, sizeof(failures));

    // The boxes go over the progress dialog, which holds the bar. The
    // engine-only program has nobody to ask.
    RunQuestions questions = {AskAboutCopyFailure, AskToFreeSpace, dialog};
    if (!s_askAboutFailures) {
        questions.askAboutCopy = NULL;
        questions.askToFreeSpace = NULL;
    }
    ReportRunStart(g_scriptVersion, g_destinationFolder);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    InstallOutcome outcome =
        RunInstallation(GetDlgItem(dialog, IDC_PROGRESS_BAR),
                        GetDlgItem(dialog, IDC_PROGRESS_FILE), &failures,
                        &questions);
    QueryPerformanceCounter(&end);
    g_lastRunMs = (double)(end.QuadPart - start.QuadPart) * 1000.0 /
                  (double)frequency.QuadPart;

    const char *meaning;
    int code = InstallExitCode(outcome, &failures, &meaning);
    SetRunResult(code, meaning);
    if (outcome != INSTALL_COMMITTED) {
        // After the space box's Cancel the person knows already.
        if (outcome != INSTALL_NO_SPACE)
            ShowRunNotFinished(g_backgroundWindow, outcome);
        EndDialog(dialog, 0);
        PostQuitMessage(0);
        return;
    }
    if (failures.restartCount > 0)
        ShowRestartNeeded(g_backgroundWindow, failures.restartCount,
                          failures.firstRestartFile);
    ReportCopyFailures(g_backgroundWindow, &failures);
    RecordAnswersIfAsked(g_backgroundWindow);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK InstallProgressProc(HWND dialog, UINT message, WPARAM,
                                     LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, lParam);
        return TRUE;
    case WM_TIMER:
        OnRunTimer(dialog);
        return TRUE;
    }
    return FALSE;
}
