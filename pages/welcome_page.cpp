// Page 0: the welcome page. It fixes the install script path when it is
// created and runs the pre-install checks each time it becomes current.
#include "pages/pages.h"
#include "pages/welcome_checks.h"
#include "install/copy_failure_box.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/text/version.h"
#include "wizard/catalog.h"
#include "wizard/wizard_messages.h"

// The product family's keys, probed in this order.
static const char kBrandedFileAgentKey[] = "Software\\Vorstmark\\CaptureKit\\FileAgent";
static const char kBrandedSendAgentKey[] = "Software\\Vorstmark\\CaptureKit\\SendAgent";
static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
static const char kSendAgentKey[] = "Software\\Veltrane\\CaptureKit\\SendAgent";

static const char kDefaultUtilityClass[] = "VorstmarkScanFileUtil";

// Reads a value as text into buffer (size bytes). The stored data need not
// carry its own terminator, so one is always put within the buffer.
static bool QueryValueText(HKEY key, const char *name, char *buffer,
                           size_t size)
{
    DWORD bytes = (DWORD)size;
    if (RegQueryValueExA(key, name, NULL, NULL, (BYTE *)buffer, &bytes) !=
        ERROR_SUCCESS)
        return false;
    if (bytes >= size)
        bytes = (DWORD)size - 1;
    buffer[bytes] = '\0';
    CutText(buffer, bytes);
    return true;
}

int ProbeProductVersion(const char *keyPath, char *buffer, size_t size)
{
    if (size == 0)
        return -2;
    buffer[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return -1;
    int result = -2;
    char installPath[PATH_SIZE];
    if (QueryValueText(key, "Version", buffer, size)) {
        result = 1;
    } else if (QueryValueText(key, "Installpath", installPath,
                              sizeof(installPath)) &&
               installPath[0] != '\0' && installPath[1] == ':') {
        // An install path on a drive letter means an installed copy too old
        // to record its version.
        CopyText(buffer, size, "1.0");
        result = 1;
    } else {
        buffer[0] = '\0';
    }
    RegCloseKey(key);
    return result;
}

HWND FindWindowByPrefix(const char *prefix)
{
    size_t prefixLength = strlen(prefix);
    // The top window is examined too: the utility the user has just
    // started is the likeliest window to be in front.
    for (HWND window = GetTopWindow(GetDesktopWindow()); window != NULL;
         window = GetWindow(window, GW_HWNDNEXT)) {
        char className[WINDOW_CLASS_SIZE];
        if (GetClassNameA(window, className, sizeof(className)) == 0)
            continue;
        if (strncmp(className, prefix, prefixLength) == 0)
            return window;
    }
    return NULL;
}

// Steps 2 to 5: the branded edition or this product refuse; the delivery
// utility of this edition decides whether the common part is installed.
static PreInstallCheck CheckInstalledProducts()
{
    char found[SCRIPT_VERSION_SIZE];
    if (ProbeProductVersion(kBrandedFileAgentKey, found, sizeof(found)) != -1)
        return CHECK_OTHER_BRAND;
    if (ProbeProductVersion(kBrandedSendAgentKey, found, sizeof(found)) != -1)
        return CHECK_OTHER_BRAND;
    if (ProbeProductVersion(kFileAgentKey, found, sizeof(found)) == 1)
        return CHECK_PRODUCT_INSTALLED;
    char sendAgentVersion[SCRIPT_VERSION_SIZE];
    if (ProbeProductVersion(kSendAgentKey, sendAgentVersion,
                            sizeof(sendAgentVersion)) == 1)
        g_installCommonFiles =
            CompareVersions(g_scriptVersion, sendAgentVersion) == 1 ? 1 : 0;
    else
        g_installCommonFiles = 1;
    return CHECK_PASSED;
}

PreInstallCheck CheckBeforeInstall()
{
    GetPrivateProfileStringA("Application", "Version", "0.0.0",
                             g_scriptVersion, sizeof(g_scriptVersion),
                             g_scriptPath);

    PreInstallCheck refusal = CheckInstalledProducts();
    if (refusal != CHECK_PASSED)
        return refusal;

    // Only the NT family has per-user and all-users folders to choose
    // between; on the 95 family the flag keeps its value.
    if (!IsWin95Family() && !AskUserAccessLibrary(&g_allUsers)) {
        g_allUsers = 0;
        return CHECK_NO_USER_ACCESS;
    }

    char utilityClass[CATALOG_TEXT_SIZE];
    GetPrivateProfileStringA("WINDOW", "WINNAME_F", kDefaultUtilityClass,
                             utilityClass, sizeof(utilityClass),
                             g_catalogPath);
    if (FindWindowByPrefix(utilityClass) != NULL)
        return CHECK_UTILITY_RUNNING;
    return CHECK_PASSED;
}

static void RefuseInstallation(HWND page, const char *messageKey)
{
    CatalogMessageBox(page, g_catalogPath, "MessageBox", messageKey,
                      "TITLE_ERROR", MB_ICONWARNING);
    SendMessageA(g_wizardFrame, WM_WIZARD_END, 0, 0);
}

PreInstallOutcome RunPreInstallChecks(HWND page)
{
    switch (CheckBeforeInstall()) {
    case CHECK_OTHER_BRAND:
        RefuseInstallation(page, "OTHERBRAND_EXIST");
        return CHECKS_REFUSED;
    case CHECK_PRODUCT_INSTALLED:
        RefuseInstallation(page, "NEWEST_EXIST");
        return CHECKS_REFUSED;
    case CHECK_UTILITY_RUNNING:
        RefuseInstallation(page, "CLOSEMON_F");
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

void FixInstallScriptPath()
{
    CopyText(g_scriptPath, sizeof(g_scriptPath), g_programDirectory);
    AppendPath(g_scriptPath, sizeof(g_scriptPath), g_languageCode);
    AppendPath(g_scriptPath, sizeof(g_scriptPath), "copy_ns.ini");
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FixInstallScriptPath();
        RecoverInterruptedRunWithMessage(page);
        break;
    case WM_WIZARD_NEXT:
        g_currentPage = 2;  // the destination folder page
        break;
    case WM_WIZARD_ACTIVATE:
        // Also after BACK: the situation may have changed meanwhile.
        RunPreInstallChecks(page);
        break;
    }
    return 0;
}
