#include "log/log_files.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "core/log/journal_names.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "core/text/target_path.h"

bool ResolveLogFile(const char *logPath, char *file, size_t size)
{
    if (FindLastSeparator(logPath) == NULL && strchr(logPath, ':') == NULL) {
        UINT got = GetWindowsDirectoryA(file, (UINT)size);
        return got > 0 && got < size && AppendPath(file, size, logPath) >= 0;
    }
    return CopyText(file, size, logPath) == strlen(logPath);
}

// Splits a log file into its folder and name and joins the stem of its
// side files. The long folder first: that is where every earlier version
// put them.
static bool FormLogStem(const char *logFile, char *stem, size_t size)
{
    const char *separator = FindLastSeparator(logFile);
    if (separator == NULL)
        return false;
    char folder[PATH_SIZE];
    size_t folderLength = (size_t)(separator - logFile);
    if (folderLength == 0 || folderLength >= sizeof(folder))
        return false;
    memcpy(folder, logFile, folderLength);
    folder[folderLength] = '\0';
    if (folderLength == 2 && folder[1] == ':')
        CopyText(folder + 2, sizeof(folder) - 2, "\\");   // "C:" is "C:\"
    const char *name = separator + 1;
    if (JoinJournalStem(stem, size, folder, name, false))
        return true;
    // The short form of the folder names the same folder in fewer
    // characters (the folder exists: the log is written there).
    char shortFolder[PATH_SIZE];
    DWORD got = GetShortPathNameA(folder, shortFolder, sizeof(shortFolder));
    if (got == 0 || got >= sizeof(shortFolder))
        CopyText(shortFolder, sizeof(shortFolder), folder);
    return JoinJournalStem(stem, size, shortFolder, name, false) ||
           JoinJournalStem(stem, size, shortFolder, name, true);
}

bool FormLogSidePath(const char *logPath, const char *extension, char *path,
                     size_t size)
{
    char logFile[PATH_SIZE];
    char stem[PATH_SIZE];
    if (logPath[0] == '\0' ||
        !ResolveLogFile(logPath, logFile, sizeof(logFile)) ||
        !FormLogStem(logFile, stem, sizeof(stem)))
        return false;
    int length = snprintf(path, size, "%s%s", stem, extension);
    return length > 0 && (size_t)length < size;
}

bool FormLogBackupPath(const char *logFile, char *path, size_t size)
{
    return FormLogSidePath(logFile, ".rbk", path, size);
}

void FormJournalName(const char *logPath, char *name, size_t size)
{
    if (!FormLogSidePath(logPath, ".jnl", name, size) && size > 0)
        name[0] = '\0';
}

bool IsUsableLogPath(const char *logPath)
{
    char file[PATH_SIZE];
    return ResolveLogFile(logPath, file, sizeof(file)) &&
           JudgeTargetPath(file) == TARGET_PATH_OK;
}

int ReadUninstallLogPath(const char *scriptPath, char *logPath, size_t size)
{
    if (size == 0)
        return 0;
    // One byte more than a path tells a path that fills its buffer from a
    // longer one, which the read cuts: a cut path names some other file,
    // so then no log is kept.
    char value[PATH_SIZE + 1];
    DWORD length = GetPrivateProfileStringA("UnInstLog", "UnInstLog", "",
                                            value, sizeof(value), scriptPath);
    if (length + 1 >= sizeof(value) || length + 1 > size ||
        !IsUsableLogPath(value)) {
        logPath[0] = '\0';
        return 0;
    }
    memcpy(logPath, value, length + 1);
    return 1;
}
