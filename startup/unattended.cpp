// The unattended road: the same checks, in the same order and with the
// same flags, and the same install run as the wizard's, with the answers
// taken from the answer file instead of from a person.
#include "startup/unattended.h"

#include <windows.h>
#include <string.h>

#include "common/install_report.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/script/answer_file.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/text_split.h"
#include "install/destination_folder.h"
#include "install/install_run.h"
#include "install/preinstall_checks.h"
#include "startup/language_dialog.h"
#include "startup/start_sequence.h"
#include "startup/startup_config.h"
#include "transaction/transaction.h"

// What the answer file's [Setup] section says; empty when it says nothing.
struct Answers {
    char destination[PATH_SIZE + 1];  // one wider: an overlong folder
                                      // shows as such, not as a cut one
    char group[GROUP_NAME_SIZE];
    char language[LANGUAGE_CODE_SIZE];
    char report[PATH_SIZE];
    bool destinationTooLong;
    bool continueOnError;   // OnError=continue
    bool msiCodes;          // Codes=msi
};

bool LoadAnswerFile(const char *path, AnswerText *answer)
{
    answer->size = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    DWORD more = 0;
    char probe;
    bool whole =
        ReadFile(file, answer->text, sizeof(answer->text), &got, NULL) &&
        ReadFile(file, &probe, 1, &more, NULL) && more == 0;
    CloseHandle(file);
    answer->size = got;
    return whole;
}

bool LoadNamedAnswerFile(const char *name, const char *programDirectory,
                         AnswerText *answer)
{
    char path[PATH_SIZE];
    return ResolveAnswerPath(name, programDirectory, path, sizeof(path)) ==
               1 &&
           LoadAnswerFile(path, answer) &&
           HoldsSetupSection(answer->text, answer->size);
}

// [Setup] OnError: "rollback" (also when absent) or "continue", in any
// letter case; any other value makes the answer file unreadable.
static bool ReadOnError(const AnswerText *answer, bool *continueOnError)
{
    char value[16];
    int got = ReadAnswerValue(answer->text, answer->size, "OnError", value,
                              sizeof(value));
    *continueOnError = got == 1 && EqualsAsciiNoCase(value, "continue");
    return got == 0 ||
           (got == 1 &&
            (*continueOnError || EqualsAsciiNoCase(value, "rollback")));
}

// [Setup] Codes: "msi" for Windows Installer's exit codes, "setup" (also
// when absent) for the program's own; any other value makes the answer
// file unreadable.
static bool ReadCodes(const AnswerText *answer, bool *msiCodes)
{
    char value[16];
    int got = ReadAnswerValue(answer->text, answer->size, "Codes", value,
                              sizeof(value));
    *msiCodes = got == 1 && EqualsAsciiNoCase(value, "msi");
    return got == 0 ||
           (got == 1 && (*msiCodes || EqualsAsciiNoCase(value, "setup")));
}

// Returns false when the answers cannot be used: the file is missing or
// no answer file, or a group or language does not fit its buffer. A
// relative answer file's name is taken from programDirectory.
static bool ReadAnswers(const CommandLineOptions *options,
                        const char *programDirectory, Answers *answers)
{
    memset(answers, 0, sizeof(*answers));
    if (!options->answerGiven)
        return true;
    static AnswerText answer;
    if (!LoadNamedAnswerFile(options->answerFile, programDirectory, &answer))
        return false;
    const char *text = answer.text;
    size_t size = answer.size;
    answers->destinationTooLong =
        ReadAnswerValue(text, size, "Destination", answers->destination,
                        sizeof(answers->destination)) < 0;
    // A report name that does not fit is a report that cannot be written.
    ReadAnswerValue(text, size, "Report", answers->report,
                    sizeof(answers->report));
    if (!ReadOnError(&answer, &answers->continueOnError) ||
        !ReadCodes(&answer, &answers->msiCodes))
        return false;
    return ReadAnswerValue(text, size, "Group", answers->group,
                           sizeof(answers->group)) >= 0 &&
           ReadAnswerValue(text, size, "Language", answers->language,
                           sizeof(answers->language)) >= 0;
}

// The entry the language dialog would preselect, else, as when the
// dialog is cancelled, the first entry. Without a list the files lie in
// the program folder itself (an empty code).
static void ChooseListedLanguage(const char *listPath)
{
    static LanguageEntry entries[LANGUAGE_TABLE_ENTRIES];
    int count = 0;
    while (count < LANGUAGE_TABLE_ENTRIES &&
           ReadLanguageListEntry(listPath, count, &entries[count]))
        count++;
    if (count == 0) {
        // No list (or an empty "Lang00"): the program folder itself.
        SetLanguageCode("");
        return;
    }
    int chosen = FindPreselectedLanguage(entries, count, listPath);
    SetLanguageCode(entries[chosen < 0 ? 0 : chosen].code);
}

// The answer, else a "-l" token, else the language list's choice, else
// the program folder itself (an empty code), as at an interactive start.
static void ChooseLanguage(const Answers *answers, bool languageGiven)
{
    if (answers->language[0] != '\0') {
        SetLanguageCode(answers->language);
        return;
    }
    if (languageGiven)
        return;
    char listPath[PATH_SIZE];
    GetLanguageListPath(listPath, sizeof(listPath));
    ChooseListedLanguage(listPath);
}

static int Finish(int code, const char *meaning)
{
    return EndRun(code, meaning);
}

// The wizard's answers: the group from the answer file or the script's
// proposal; the destination from the answer file, checked as the folder
// browser's OK button checks a typed folder, or the destination page's
// default. Returns false for a destination the browser would refuse.
static bool SettleAnswers(const Answers *answers)
{
    if (answers->group[0] != '\0')
        CopyText(g_programGroup, sizeof(g_programGroup), answers->group);
    else
        GetPrivateProfileStringA("ShortCut_File", "group", "Fail",
                                 g_programGroup, sizeof(g_programGroup),
                                 g_scriptPath);
    if (answers->destinationTooLong)
        return false;
    if (answers->destination[0] == '\0') {
        ComputeDefaultDestination(g_destinationFolder,
                                  sizeof(g_destinationFolder));
        return true;
    }
    if (!IsAcceptableFolder(answers->destination))
        return false;
    CopyText(g_destinationFolder, sizeof(g_destinationFolder),
             answers->destination);
    return true;
}

// Entries that no Program Manager command can carry, left out of the run.
static void ReportSkippedShortcuts(const ShortcutSkips *skips)
{
    int kept = skips->count < SKIPPED_TITLES_KEPT ? skips->count
                                                  : SKIPPED_TITLES_KEPT;
    for (int i = 0; i < kept; i++)
        ReportLine("shortcut not made: %s (no Program Manager command can "
                   "carry it)",
                   skips->titles[i]);
    if (kept < skips->count)
        ReportLine("shortcuts not made besides: %d more",
                   skips->count - kept);
}

static CopyFailureChoice AbortOnFailure(void *, const char *, const char *,
                                        DWORD)
{
    return COPY_FAILURE_ABORT;
}

static int Install(bool continueOnError)
{
    CopyFailures failures;
    memset(&failures, 0, sizeof(failures));
    RunQuestions questions = {continueOnError ? NULL : AbortOnFailure, NULL,
                              NULL};
    InstallOutcome outcome =
        RunInstallation(NULL, NULL, &failures, &questions);
    if (outcome == INSTALL_COMMITTED)
        ReportSkippedShortcuts(&failures.shortcuts);
    const char *meaning;
    int code = InstallExitCode(outcome, &failures, &meaning);
    return Finish(code, meaning);
}

// Nobody is there to answer the system's own boxes, such as "no disk in
// drive" for an empty media drive: the call fails instead. Looked up by
// name, so the import list stays within what Windows 95 is known to ship.
static void SuppressSystemBoxes()
{
    typedef UINT(WINAPI * SetErrorModeCall)(UINT);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    SetErrorModeCall setErrorMode =
        kernel != NULL ? (SetErrorModeCall)(void *)GetProcAddress(
                             kernel, "SetErrorMode")
                       : NULL;
    if (setErrorMode != NULL)
        setErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// What the unattended start carries from one question to the next.
struct UnattendedStart {
    Answers answers;
    bool destinationValid;
};

static void ChooseAnsweredLanguage(void *context,
                                   const CommandLineOptions *options)
{
    UnattendedStart *start = (UnattendedStart *)context;
    ChooseLanguage(&start->answers, options->languageGiven);
}

static int RequireScript(void *, const char **meaning)
{
    if (IsFile(g_scriptPath))
        return START_GOES_ON;
    ReportLine("no install script: %s", g_scriptPath);
    *meaning = "not started, no install script for the language";
    return UNATTENDED_NOT_STARTED;
}

static void SettleAndReportStart(void *context)
{
    UnattendedStart *start = (UnattendedStart *)context;
    start->destinationValid = SettleAnswers(&start->answers);
    char version[SCRIPT_VERSION_SIZE];
    GetPrivateProfileStringA("Application", "Version", "0.0.0", version,
                             sizeof(version), g_scriptPath);
    ReportRunStart(version, start->destinationValid
                                ? g_destinationFolder
                                : start->answers.destination);
}

static void ReportCheck(void *, PreInstallCheck check)
{
    if (check == CHECK_NO_USER_ACCESS)
        ReportLine("checks: the user-access library cannot be used, so the "
                   "running utility is not looked for");
}

// The report (-o first, so that it also tells of unreadable answers, then
// the answer file's Report=) and the answers, before the lock: a refused
// start is told there too. Returns false when the answers cannot be used.
static bool PrepareReportAndAnswers(const char *commandLine, Answers *answers)
{
    char code[LANGUAGE_CODE_SIZE];
    CommandLineOptions options =
        ParseCommandLine(commandLine, code, sizeof(code));
    char programDirectory[PATH_SIZE];
    GetProgramDirectory(programDirectory, sizeof(programDirectory));
    SetMsiExitCodes(options.msiCodes, false);
    if (options.reportGiven && !options.reportMayBeCut)
        OpenInstallReport(options.reportFile);
    if (!ReadAnswers(&options, programDirectory, answers))
        return false;
    SetMsiExitCodes(options.msiCodes || answers->msiCodes, false);
    if (!options.reportGiven && answers->report[0] != '\0')
        OpenInstallReport(answers->report);
    return true;
}

int RunUnattended(const char *commandLine)
{
    SuppressSystemBoxes();
    static UnattendedStart start;
    if (!PrepareReportAndAnswers(commandLine, &start.answers))
        return Finish(UNATTENDED_NOT_STARTED,
                      "not started, the answer file cannot be used");
    // Nobody to tell of another run or an earlier one: the result line
    // and the recovery's own lines say it.
    StartQuestions questions = {&start, NULL, ChooseAnsweredLanguage,
                                RequireScript, NULL, SettleAndReportStart,
                                ReportCheck};
    const char *meaning = NULL;
    int code =
        RunStartSequence(START_LOCK, START_CHECKS, &questions, &meaning);
    if (code != START_GOES_ON)
        return Finish(code, meaning);
    ReportLine("flags: install common files %d, all users %d",
               g_installCommonFiles, g_allUsers);
    if (!start.destinationValid)
        return Finish(UNATTENDED_BAD_DESTINATION,
                      "refused, the destination folder is not valid");
    return Install(start.answers.continueOnError);
}
