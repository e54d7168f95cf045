// setup_walker DIST DESTINATION GROUP [SHOTS] [--abort] [-r<file>]
// [--language=CODE]: runs DIST\setup.exe (with -r<file> on its command
// line, when given) and walks the whole road, picking the language of
// DIST\language.ini whose code is CODE (default: the preselected one).
// With SHOTS, before each step it writes
// SHOTS\request holding the step's name and waits (at most 30 s) until the
// file is gone, so a screenshot can be taken from outside. --abort answers
// the failed-copy box (Abort/Retry/Ignore) with Abort, after its
// screenshot, and the closing box after its own (screenshots named
// rollback-NN-...). Exit code: setup's, or 2
// when the road could not be walked.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "startup/startup_config.h"
#include "tests/e2e/setup_walker.h"
#include "tests/support/window_search.h"

static bool IsAbortRetryIgnore(HWND box)
{
    return GetDlgItem(box, IDABORT) != NULL && GetDlgItem(box, IDRETRY) != NULL;
}

// The list's name of the language whose code is code, as the dialog shows
// it; "" when the list has none.
static std::string LanguageNamed(const std::string &dist, const char *code)
{
    std::string list = dist + "\\language.ini";
    LanguageEntry entry;
    for (int index = 0; ReadLanguageListEntry(list.c_str(), index, &entry); index++)
        if (lstrcmpiA(entry.code, code) == 0)
            return entry.name;
    return "";
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: setup_walker DIST DESTINATION GROUP [SHOTS] "
                        "[--abort] [-r<file>] [--language=CODE]\n");
        return 2;
    }
    const char kLanguageOption[] = "--language=";
    std::string shots;
    std::string arguments;
    bool abort = false;
    RoadChoices choices;
    for (int i = 4; i < argc; i++) {
        if (strcmp(argv[i], "--abort") == 0) {
            abort = true;
        } else if (strncmp(argv[i], kLanguageOption, sizeof(kLanguageOption) - 1) == 0) {
            const char *code = argv[i] + sizeof(kLanguageOption) - 1;
            choices.language = LanguageNamed(argv[1], code);
            if (choices.language.empty()) {
                fprintf(stderr, "no language %s in %s\\language.ini\n", code, argv[1]);
                return 2;
            }
        } else if (strncmp(argv[i], "-r", 2) == 0) {
            arguments = argv[i];
        } else {
            shots = argv[i];
        }
    }
    SetupProcess setup;
    if (!setup.Start(argv[1], arguments)) {
        fprintf(stderr, "cannot start %s\\setup.exe\n", argv[1]);
        return 2;
    }
    choices.destination = argv[2];
    choices.group = argv[3];
    StepHook step;
    // The aborted walk's screenshots are named apart from a whole walk's.
    if (!shots.empty())
        step = [&](const char *name) {
            WaitForScreenshot(shots,
                              ((abort ? "rollback-" : "") + std::string(name)).c_str());
        };
    bool aborted = false;
    if (abort)
        choices.answerBox = [&](HWND box, const std::string &,
                                const std::string &) {
            bool failedCopy = IsAbortRetryIgnore(box);
            // The shortcuts made before the failure opened folder windows
            // in front of the box.
            if (step && (failedCopy || aborted)) {
                CloseFolderWindows(3000);
                step(failedCopy ? "07-copy-failed" : "08-cancelled");
            }
            aborted = aborted || failedCopy;
            return failedCopy ? IDABORT : IDOK;
        };
    std::vector<std::string> boxes;
    std::string problem = WalkWholeRoad(setup, choices, step, &boxes);
    for (const std::string &box : boxes)
        printf("message box: %s\n", box.c_str());
    if (!problem.empty() && !aborted) {
        printf("road: %s\n", problem.c_str());
        return 2;
    }
    int code = setup.WaitForExit();
    printf("setup ended with code %d%s\n", code,
           aborted ? " after Abort" : "");
    return code;
}
