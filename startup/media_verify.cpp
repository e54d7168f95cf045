#include "startup/media_verify.h"

#include <windows.h>

#include "common/install_report.h"
#include "common/media_sums.h"
#include "common/setup_state.h"
#include "core/script/answer_file.h"
#include "core/text/text_split.h"
#include "startup/startup_config.h"
#include "startup/unattended.h"

// The answer file's Report=, opened; false when a named answer file
// cannot be used.
static bool OpenReportOfAnswers(const CommandLineOptions *options)
{
    if (!options->answerGiven)
        return true;
    static AnswerText answer;
    if (!LoadNamedAnswerFile(options->answerFile, g_programDirectory,
                             &answer))
        return false;
    char report[PATH_SIZE];
    if (ReadAnswerValue(answer.text, answer.size, "Report", report,
                        sizeof(report)) == 1)
        OpenInstallReport(report);
    return true;
}

int RunMediaVerify(const char *commandLine)
{
    CommandLineOptions options = ReadCommandLineConfig(commandLine);
    if (!OpenReportOfAnswers(&options))
        return UNATTENDED_NOT_STARTED;
    ReportLine("media check: %s", g_programDirectory);
    int bad = VerifyMediaFiles();
    int code = bad == 0 ? UNATTENDED_INSTALLED
                        : UNATTENDED_MEDIA_CHECK_FAILED;
    ReportLine("result: %s (exit code %d)",
               bad == 0 ? "the media are whole"
                        : "the media are damaged or cannot be checked",
               code);
    CloseInstallReport();
    return code;
}
