// The destination folder: the default the wizard proposes and the
// unattended run takes, and the check a chosen folder must pass.
#include "install/destination_folder.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "common/setup_state.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"

// The install script writes its folder as if programs always lived here.
int ReadProgramFilesDir(char *buffer, size_t size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    char value[PATH_SIZE];
    DWORD bytes = sizeof(value);
    LONG result = RegQueryValueExA(key, "ProgramFilesDir", NULL, NULL,
                                   (BYTE *)value, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return 0;
    // The stored data need not end in a NUL of its own.
    if (bytes >= sizeof(value))
        bytes = sizeof(value) - 1;
    value[bytes] = '\0';
    return (int)CopyText(buffer, size, value);
}

// Without a readable program files folder the join would give a relative
// path; the system drive's "Program Files" is where it would have been.
static void GuessProgramFilesDir(char *buffer, size_t size)
{
    char windowsDir[PATH_SIZE];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    if (length < 3 || length >= sizeof(windowsDir) || windowsDir[1] != ':')
        CopyText(windowsDir, sizeof(windowsDir), "C:");
    windowsDir[2] = '\0';
    CopyText(buffer, size, windowsDir);
    AppendPath(buffer, size, "Program Files");
}

void ComputeDefaultDestination(char *buffer, size_t size)
{
    if (ReadProgramFilesDir(buffer, size) == 0)
        GuessProgramFilesDir(buffer, size);
    char productFolder[PATH_SIZE];
    GetPrivateProfileStringA("Directry", "DstDirectry", "Fail", productFolder,
                             sizeof(productFolder), g_scriptPath);
    AppendPath(buffer, size, ProductFolderBelowProgramFiles(productFolder));
}

static bool HoldsForbiddenCharacter(const char *text)
{
    // By character: the second byte of a double-byte character may be
    // 0x7C, the vertical bar.
    for (const char *p = text; *p != '\0'; p = NextChar(p)) {
        if (strchr("/:*?\"<>|", *p) != NULL)
            return true;
    }
    return false;
}

bool IsAcceptableFolder(const char *text)
{
    size_t length = strlen(text);
    if (length < 3 || length > PATH_SIZE - 1)
        return false;
    if (text[1] != ':' || text[2] != '\\')
        return false;
    char root[4];
    snprintf(root, sizeof(root), "%c:\\", text[0]);
    if (GetDriveTypeA(root) != DRIVE_FIXED)
        return false;
    return !HoldsForbiddenCharacter(text + 2);
}
