// Page 0: the welcome page. The start (startup/start_sequence.h) has
// fixed the install script and recovered an earlier run before the wizard
// opens; the page is the start's last step with a person there: it runs
// the pre-install checks each time it becomes current.
#include "common/install_report.h"
#include "pages/pages.h"
#include "pages/welcome_checks.h"

#include "common/setup_state.h"
#include "wizard/catalog.h"
#include "wizard/wizard_messages.h"

static void RefuseInstallation(HWND page, PreInstallCheck check,
                               const char *messageKey)
{
    const char *meaning;
    int code = RefusalExitCode(check, &meaning);
    SetRunResult(code, meaning);
    CatalogMessageBox(page, g_catalogPath, "MessageBox", messageKey,
                      "TITLE_ERROR", MB_ICONWARNING);
    SendMessageA(g_wizardFrame, WM_WIZARD_END, 0, 0);
}

PreInstallOutcome RunPreInstallChecks(HWND page)
{
    PreInstallCheck check = CheckBeforeInstall();
    switch (check) {
    case CHECK_OTHER_BRAND:
        RefuseInstallation(page, check, "OTHERBRAND_EXIST");
        return CHECKS_REFUSED;
    case CHECK_PRODUCT_INSTALLED:
        RefuseInstallation(page, check, "NEWEST_EXIST");
        return CHECKS_REFUSED;
    case CHECK_UTILITY_RUNNING:
        RefuseInstallation(page, check, "CLOSEMON_F");
        return CHECKS_REFUSED;
    case CHECK_NO_USER_ACCESS:
        return CHECKS_NO_USER_ACCESS;
    case CHECK_PASSED:
        break;
    }
    if (g_backgroundWindow != NULL)
        SetWindowPos(g_backgroundWindow, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    return CHECKS_PASSED;
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_WIZARD_NEXT:
        g_currentPage = PAGE_DESTINATION;
        break;
    case WM_WIZARD_ACTIVATE:
        // Also after BACK: the situation may have changed meanwhile.
        RunPreInstallChecks(page);
        break;
    }
    return 0;
}
