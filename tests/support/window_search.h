// Finding a top-level window of another process: the one search that the
// test programs, the walkers and the screenshot helper share.
#pragma once

#include <windows.h>

#include <functional>

// The first visible top-level window of process that satisfies match, or
// NULL.
HWND FindProcessWindow(DWORD process, const std::function<bool(HWND)> &match);

// timeoutMs times SETUP_TIMEOUT_SCALE (a whole number from the
// environment, default 1): programs run emulated take several times longer
// to show a window or to end. Every wait of the drivers goes through it.
DWORD ScaledTimeout(DWORD timeoutMs);

// FindProcessWindow, tried every 50 ms until timeoutMs (scaled) has passed.
HWND WaitForProcessWindow(DWORD process,
                          const std::function<bool(HWND)> &match,
                          DWORD timeoutMs);

// A dialog: the window class "#32770".
bool IsDialogWindow(HWND window);
// A window of the class className.
bool HasWindowClass(HWND window, const char *className);

// A folder window, as Wine's Program Manager opens one for every
// CreateGroup and ShowGroup: an explorer process and a display client of
// its own each.
bool IsFolderWindow(HWND window);

// Closes every folder window and waits up to timeoutMs for them to go.
// Runs of setup and uninstall leave them behind; dozens of them exhaust
// the display ("Maximum number of clients reached"), and then Program
// Manager cannot make a shortcut. Returns how many are left.
int CloseFolderWindows(DWORD timeoutMs);
