#include "log/uninstaller_notes.h"

#include <windows.h>

#include "common/setup_state.h"
#include "core/setup_limits.h"

// The delivery utility of the same edition: the welcome page's fourth key.
static const char kSharingProductKey[] =
    "Software\\Veltrane\\CaptureKit\\SendAgent";

static void WriteNote(const char *logPath, const char *key,
                      const char *value)
{
    WritePrivateProfileStringA(NOTES_SECTION, key, value, logPath);
}

void WriteUninstallerNotes(const char *logPath)
{
    if (logPath[0] == '\0')
        return;
    char appName[APP_NAME_SIZE];
    GetPrivateProfileStringA("Files_DLL", "AppName", "CaptureAgent", appName,
                             sizeof(appName), g_scriptPath);
    // Read as the welcome page reads it, so both look for the same window.
    char utilityPrefix[WINDOW_CLASS_SIZE];
    GetPrivateProfileStringA("WINDOW", "WINNAME_F", "VorstmarkScanFileUtil",
                             utilityPrefix, sizeof(utilityPrefix),
                             g_catalogPath);
    WriteNote(logPath, NOTES_LANGUAGE, g_languageCode);
    WriteNote(logPath, NOTES_APP_NAME, appName);
    WriteNote(logPath, NOTES_UTILITY_PREFIX, utilityPrefix);
    WriteNote(logPath, NOTES_SHARING_KEY, kSharingProductKey);
    WriteNote(logPath, NOTES_GROUP, g_programGroup);
}
