// The pre-install checks: the product family's keys in the registry, the
// user-access library and the running file utility. The welcome page, the
// unattended run and the uninstaller make them.
#include "install/preinstall_checks.h"

#include <string.h>

#include "common/platform.h"
#include "common/setup_state.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "core/exit_codes.h"
#include "core/text/version.h"
#include "wizard/catalog.h"

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

struct PrefixSearch {
    const char *prefix;
    size_t length;
    HWND found;
};

static BOOL CALLBACK MatchClassPrefix(HWND window, LPARAM context)
{
    PrefixSearch *search = (PrefixSearch *)context;
    char className[WINDOW_CLASS_SIZE];
    if (GetClassNameA(window, className, sizeof(className)) == 0 ||
        strncmp(className, search->prefix, search->length) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindWindowByPrefix(const char *prefix)
{
    // EnumWindows works on a list taken at the call, so a window that
    // another program destroys meanwhile cannot cut the search short, as it
    // can a GetWindow walk. Every top-level window counts, the one in front
    // too: the utility the user has just started is the likeliest there.
    PrefixSearch search = {prefix, strlen(prefix), NULL};
    EnumWindows(MatchClassPrefix, (LPARAM)&search);
    return search.found;
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

void FixInstallScriptPath()
{
    CopyText(g_scriptPath, sizeof(g_scriptPath), g_programDirectory);
    AppendPath(g_scriptPath, sizeof(g_scriptPath), g_languageCode);
    AppendPath(g_scriptPath, sizeof(g_scriptPath), "copy_ns.ini");
}

int RefusalExitCode(PreInstallCheck check, const char **meaning)
{
    switch (check) {
    case CHECK_OTHER_BRAND:
        *meaning = "refused, the maker's branded edition is installed";
        return UNATTENDED_OTHER_BRAND;
    case CHECK_PRODUCT_INSTALLED:
        *meaning = "refused, this product is already installed";
        return UNATTENDED_PRODUCT_INSTALLED;
    case CHECK_UTILITY_RUNNING:
        *meaning = "refused, the file utility is running";
        return UNATTENDED_UTILITY_RUNNING;
    default:
        return -1;
    }
}
