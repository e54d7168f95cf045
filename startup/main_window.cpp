#include "startup/main_window.h"

#include "common/setup_state.h"
#include "resources/resource.h"
#include "startup/person_start.h"
#include "wizard/background.h"
#include "wizard/bitmap_display.h"
#include "wizard/wizard_frame.h"

bool RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "tovrin");
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = "Tovrin";
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateBackgroundWindow(HINSTANCE instance)
{
    // No maximize box: the window always covers the screen.
    DWORD style = WS_VISIBLE | WS_MAXIMIZE | WS_CAPTION | WS_SYSMENU |
                  WS_THICKFRAME | WS_MINIMIZEBOX;
    return CreateWindowExA(0, "Tovrin", "", style, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN), NULL, NULL,
                           instance, NULL);
}

// Runs once: the timer is killed first, because the language dialog, the
// boxes of the start and the wizard run their own message loops inside
// this call. The quit
// message that ends the wizard stays queued for the main loop.
static void StartWizard(HWND window)
{
    KillTimer(window, BACKGROUND_TIMER_ID);
    // An earlier run that strands this one ends setup before the wizard.
    if (!StartOverBackground(window)) {
        PostQuitMessage(0);
        return;
    }
    INT_PTR result = DialogBoxParamA(g_instance,
                                     MAKEINTRESOURCEA(IDD_WIZARD_FRAME),
                                     window, WizardFrameProc, 0);
    // Without its frame the program could never be left but by closing
    // the background; end it and say that it failed.
    if (result == -1)
        PostQuitMessage(1);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // The wizard is opened from the timer, once the window shows.
        if (SetTimer(window, BACKGROUND_TIMER_ID, BACKGROUND_TIMER_MS,
                     NULL) == 0)
            return -1;
        return 0;
    case WM_TIMER:
        if (wParam == BACKGROUND_TIMER_ID)
            StartWizard(window);
        return 0;
    case WM_PAINT:
        PaintBackground(window, 0);
        break;
    case WM_DESTROY:
        ReleaseLoadedPicture();
        PostQuitMessage(0);
        return 0;
    case WM_QUERYNEWPALETTE:
        AnswerQueryNewPalette(window);
        return 0;
    case WM_PALETTECHANGED:
        AnswerPaletteChanged(window, (HWND)wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
