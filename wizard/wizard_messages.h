// Messages between the wizard frame and its pages (all sent synchronously).
#pragma once

#include <windows.h>

// Frame -> current page: NEXT / BACK pressed. The page moves by writing
// the target index into g_currentPage; leaving it keeps the page.
#define WM_WIZARD_NEXT     (WM_USER + 101)
#define WM_WIZARD_BACK     (WM_USER + 102)
// Frame -> the page that has just become current; wParam 1 when reached by
// NEXT (or as the first page), 0 when reached by BACK.
#define WM_WIZARD_ACTIVATE (WM_USER + 103)
// Page -> frame: end the wizard and the program (quit message, code 0).
#define WM_WIZARD_END      (WM_USER + 104)
