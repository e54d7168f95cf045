// The background window: class "Tovrin", maximized over the whole screen,
// a blue gradient with the title top left and the company text bottom
// right. Its timer opens the wizard once the window is on screen.
#pragma once

#include <windows.h>

constexpr UINT_PTR BACKGROUND_TIMER_ID = 4;
constexpr UINT BACKGROUND_TIMER_MS = 500;

// Registers the window class "Tovrin". Returns false on failure.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the background window (visible, maximized, no maximize box).
HWND CreateBackgroundWindow(HINSTANCE instance);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam);
