// setup_walker DIST DESTINATION GROUP [SHOTS [--abort | -r<file>]]: runs
// DIST\setup.exe (with -r<file> on its command line, when given) and walks
// the whole road. With SHOTS, before each step it writes
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

#include "tests/e2e/setup_walker.h"
#include "tests/support/window_search.h"

static bool IsAbortRetryIgnore(HWND box)
{
    return GetDlgItem(box, IDABORT) != NULL && GetDlgItem(box, IDRETRY) != NULL;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: setup_walker DIST DESTINATION GROUP [SHOTS "
                        "[--abort | -r<file>]]\n");
        return 2;
    }
    std::string shots = argc > 4 ? argv[4] : "";
    bool abort = argc > 5 && strcmp(argv[5], "--abort") == 0;
    std::string arguments =
        argc > 5 && strncmp(argv[5], "-r", 2) == 0 ? argv[5] : "";
    SetupProcess setup;
    if (!setup.Start(argv[1], arguments)) {
        fprintf(stderr, "cannot start %s\\setup.exe\n", argv[1]);
        return 2;
    }
    RoadChoices choices;
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
