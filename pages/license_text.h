// Putting a whole text file into a control.
#pragma once

#include <windows.h>

// Makes the file's bytes (up to the first NUL) the control's text, as they
// are: no code-page or line-end conversion. Returns nonzero when the file
// could be opened, 0 when not (the control then keeps its text).
int LoadTextFileIntoControl(HWND control, const char *path);
