// Page 4: the finish page, shown once the installation has run. FINISH
// ends the wizard and the program.
#include "pages/pages.h"

#include "common/setup_state.h"
#include "wizard/wizard_messages.h"

// After the installation the frame takes the focus and holds still for a
// second before FINISH can be pressed.
static const DWORD kSettleTime = 1000;

INT_PTR CALLBACK FinishPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_WIZARD_ACTIVATE:
        SetFocus(g_wizardFrame);
        Sleep(kSettleTime);
        SetFocus(g_wizardFrame);
        break;
    case WM_WIZARD_NEXT:
        // The current page stays: the frame ends the program.
        SendMessageA(g_wizardFrame, WM_WIZARD_END, 0, 0);
        break;
    }
    return 0;
}
