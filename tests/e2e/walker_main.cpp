// setup_walker DIST DESTINATION GROUP [SHOTS]: runs DIST\setup.exe and walks
// the whole road. With SHOTS, before each step it writes SHOTS\request
// holding the step's name and waits (at most 30 s) until the file is gone,
// so a screenshot can be taken from outside. Exit code: setup's, or 2
// when the road could not be walked.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "tests/e2e/setup_walker.h"

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: setup_walker DIST DESTINATION GROUP [SHOTS]\n");
        return 2;
    }
    std::string shots = argc > 4 ? argv[4] : "";
    SetupProcess setup;
    if (!setup.Start(argv[1])) {
        fprintf(stderr, "cannot start %s\\setup.exe\n", argv[1]);
        return 2;
    }
    RoadChoices choices;
    choices.destination = argv[2];
    choices.group = argv[3];
    StepHook step;
    if (!shots.empty())
        step = [&](const char *name) { WaitForScreenshot(shots, name); };
    std::vector<std::string> boxes;
    std::string problem = WalkWholeRoad(setup, choices, step, &boxes);
    for (const std::string &box : boxes)
        printf("message box: %s\n", box.c_str());
    if (!problem.empty()) {
        printf("road: %s\n", problem.c_str());
        return 2;
    }
    int code = setup.WaitForExit();
    printf("setup ended with code %d\n", code);
    return code;
}
