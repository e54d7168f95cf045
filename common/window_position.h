// Placing the program's dialogs on the screen.
#pragma once

#include <windows.h>

// Moves a window to the centre of the screen, below the caption bar.
void CenterWindow(HWND window);
