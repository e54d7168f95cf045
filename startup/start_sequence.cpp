#include "startup/start_sequence.h"

#include "common/setup_state.h"
#include "core/exit_codes.h"
#include "startup/startup_config.h"
#include "transaction/run_lock.h"
#include "transaction/transaction.h"

static int TakeLock(const StartQuestions *questions, const char **meaning)
{
    if (TakeRunLock())
        return START_GOES_ON;
    if (questions->anotherRun != NULL)
        questions->anotherRun(questions->context);
    *meaning = "not started, another installation is running; nothing was "
               "changed, try again later";
    return UNATTENDED_BUSY;
}

static int SettleLanguage(const StartQuestions *questions,
                          const char **meaning)
{
    CommandLineOptions options = ReadCommandLineConfig(g_commandLine);
    if (questions->chooseLanguage != NULL)
        questions->chooseLanguage(questions->context, &options);
    FixLanguagePaths();
    FixInstallScriptPath();
    if (questions->languageSettled == NULL)
        return START_GOES_ON;
    return questions->languageSettled(questions->context, meaning);
}

// A run killed earlier is undone before anything is looked at. One that
// could not be undone in full (a step its journal names was refused, or
// failed) keeps its journal, and no run starts over it.
static int RecoverEarlierRun(const StartQuestions *questions,
                             const char **meaning)
{
    int outcome = RecoverInterruptedRun(g_scriptPath);
    if (outcome != 0 && questions->earlierRun != NULL)
        questions->earlierRun(questions->context, outcome);
    if (outcome == INSTALL_ROLLBACK_LEFT) {
        *meaning = "not started, an earlier run could not be undone in full "
                   "(see the lines above); its journal is kept until setup "
                   "or the uninstaller can finish undoing it";
        return UNATTENDED_EARLIER_STRANDED;
    }
    if (questions->beforeChecks != NULL)
        questions->beforeChecks(questions->context);
    return START_GOES_ON;
}

static int MakeChecks(const StartQuestions *questions, const char **meaning)
{
    PreInstallCheck check = CheckBeforeInstall();
    if (questions->checked != NULL)
        questions->checked(questions->context, check);
    int code = RefusalExitCode(check, meaning);
    return code < 0 ? START_GOES_ON : code;
}

static int RunStep(StartStep step, const StartQuestions *questions,
                   const char **meaning)
{
    switch (step) {
    case START_LOCK:
        return TakeLock(questions, meaning);
    case START_LANGUAGE:
        return SettleLanguage(questions, meaning);
    case START_RECOVERY:
        return RecoverEarlierRun(questions, meaning);
    case START_CHECKS:
        return MakeChecks(questions, meaning);
    }
    return START_GOES_ON;
}

int RunStartSequence(StartStep first, StartStep last,
                     const StartQuestions *questions, const char **meaning)
{
    for (int step = first; step <= last; step++) {
        int code = RunStep((StartStep)step, questions, meaning);
        if (code != START_GOES_ON)
            return code;
    }
    return START_GOES_ON;
}
