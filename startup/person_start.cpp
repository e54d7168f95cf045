#include "startup/person_start.h"

#include "common/install_report.h"
#include "common/setup_state.h"
#include "progress/run_boxes.h"
#include "startup/start_sequence.h"
#include "startup/startup_config.h"

// Returns false when no first copy shows a window here: the lock is held
// by a run elsewhere (unattended, the uninstaller, another session).
static bool HandOverToFirstCopy()
{
    HWND first = FindWindowA("Tovrin", NULL);
    if (first == NULL)
        return false;
    if (IsIconic(first))
        ShowWindow(first, SW_RESTORE);
    SetForegroundWindow(first);
    return true;
}

static void RefuseSecondRun(void *)
{
    if (!HandOverToFirstCopy())
        ShowAnotherRunBox(NULL);
}

static void AskForLanguage(void *context, const CommandLineOptions *options)
{
    if (!options->languageGiven)
        AskLanguage((HWND)context);
}

static int ShowTitle(void *context, const char **)
{
    SetWindowTextA((HWND)context, g_titleText);
    return START_GOES_ON;
}

// Only a whole rollback is "undone"; one that was refused or left steps
// strands its run, and the box names the kept journal.
static void TellOfEarlierRun(void *context, int outcome)
{
    if (outcome == INSTALL_ROLLED_BACK)
        ShowEarlierRunUndone((HWND)context);
    else
        ShowRunNotFinished((HWND)context, INSTALL_EARLIER_STRANDED);
}

static StartQuestions PersonQuestions(HWND owner)
{
    // The settling of the answers and the checks are the wizard's pages'.
    StartQuestions questions = {owner,     RefuseSecondRun,  AskForLanguage,
                                ShowTitle, TellOfEarlierRun, NULL,
                                NULL};
    return questions;
}

int StartBeforeBackground()
{
    StartQuestions questions = PersonQuestions(NULL);
    const char *meaning = NULL;
    return RunStartSequence(START_LOCK, START_LOCK, &questions, &meaning);
}

bool StartOverBackground(HWND background)
{
    StartQuestions questions = PersonQuestions(background);
    const char *meaning = NULL;
    int code = RunStartSequence(START_LANGUAGE, START_RECOVERY, &questions,
                                &meaning);
    if (code == START_GOES_ON)
        return true;
    SetRunResult(code, meaning);
    return false;
}
