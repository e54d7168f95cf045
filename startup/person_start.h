// The start with a person there: the start sequence's questions answered
// by boxes and the language dialog over the background window.
#pragma once

#include <windows.h>

// Before the background window shows: the one-run lock. A second wizard
// brings the first one forward, a run elsewhere is named in a box.
// Returns START_GOES_ON, or the exit code when setup must end.
int StartBeforeBackground();

// Once the background window shows: the language (the dialog when the
// command line named none) with the window's title from its catalog, and
// an earlier run recovered with one box saying so. Returns false when
// setup must end without its wizard; the run's result then says why.
bool StartOverBackground(HWND background);
