#include "uninstall/self_delete.h"

#include <stdio.h>
#include <string.h>

#include "common/install_report.h"
#include "common/platform.h"
#include "core/log/log_reader.h"
#include "core/text/dbcs.h"
#include "removal/file_remove.h"
#include "removal/uninstall_entry.h"
#include "uninstall/registry_remove.h"

// A fresh batch file's name in the temporary folder, in batch (size
// bytes). GetTempFileName makes a ".tmp" file; cmd runs it only as ".bat".
static bool NameSelfDeleteBatch(char *batch, size_t size)
{
    char folder[PATH_SIZE];
    char made[PATH_SIZE];
    DWORD got = GetTempPathA(sizeof(folder), folder);
    if (got == 0 || got >= sizeof(folder) ||
        GetTempFileNameA(folder, "uni", 0, made) == 0)
        return false;
    const char *dot = strrchr(made, '.');
    bool named = false;
    if (dot != NULL) {
        int stem = (int)(dot - made);
        int wanted = snprintf(batch, size, "%.*s.bat", stem, made);
        named = wanted > 0 && (size_t)wanted < size &&
                MoveFileA(made, batch);
    }
    if (!named)
        DeleteFileA(made);
    return named;
}

static bool WriteSelfDeleteBatch(const char *batch, const char *self)
{
    char script[PATH_SIZE * 8];
    int length = ComposeSelfDeleteBatch(script, sizeof(script), self, batch);
    if (length <= 0)
        return false;
    HANDLE file = CreateFileA(batch, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, script, (DWORD)length, &written, NULL) &&
                 written == (DWORD)length;
    CloseHandle(file);
    return whole;
}

// Runs the batch file through the command shell, without a window.
static bool StartHidden(const char *batch)
{
    char shell[PATH_SIZE];
    DWORD got = GetEnvironmentVariableA("COMSPEC", shell, sizeof(shell));
    if (got == 0 || got >= sizeof(shell))
        CopyText(shell, sizeof(shell), "cmd.exe");
    // /s takes the outer quotes off, so the batch path keeps its own even
    // with "&" or "(" in it.
    char command[PATH_SIZE * 3];
    int wanted = snprintf(command, sizeof(command), "\"%s\" /s /c \"\"%s\"\"",
                          shell, batch);
    if (wanted <= 0 || wanted >= (int)sizeof(command))
        return false;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_NO_WINDOW,
                        NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

static bool ScheduleOwnDeletion(Removal *r, const char *self)
{
    if (!ScheduleDeletion(self))
        return false;
    NoteFileResult(r, self, FILE_SCHEDULED);
    return true;
}

// The uninstaller's own file cannot be deleted while it runs. On the NT
// family a batch file waits for it to end, deletes it and then itself; on
// the 95 family (COMMAND.COM counts nothing for a bounded wait), or when
// the batch file cannot be set up, it goes at the next restart. Returns
// false when neither could be set up.
static bool RemoveOwnFileLater(Removal *r, const char *self)
{
    char batch[PATH_SIZE];
    if (!IsWin95Family() && NameSelfDeleteBatch(batch, sizeof(batch))) {
        if (WriteSelfDeleteBatch(batch, self) && StartHidden(batch))
            return true;
        DeleteFileA(batch);
    }
    return ScheduleOwnDeletion(r, self);
}

static bool IsSelfListed(const Removal *r)
{
    if (r->self[0] == '\0' ||
        GetFileAttributesA(r->self) == INVALID_FILE_ATTRIBUTES)
        return false;
    for (int s = 0; s < SECTION_COUNT; s++)
        if (ListHolds(&r->files[s], r->self))
            return true;
    return false;
}

void RemoveLogAndSelf(Removal *r)
{
    char entry[UNINSTALL_KEY_PATH_SIZE];
    int named = ReadUninstallEntry(r->logPath, entry, sizeof(entry));
    if (named < 0)
        NoteFailed(r, "[UnInstKey]", 1);
    else if (named > 0 && !EntryNamesLog(entry, r->logPath))
        NoteFailed(r, entry, 1);
    if (r->report->failed == 0 && IsSelfListed(r)) {
        SetFileAttributesA(r->self, FILE_ATTRIBUTE_NORMAL);
        if (!RemoveOwnFileLater(r, r->self))
            NoteFailed(r, r->self, 1);
    }
    if (r->report->failed > 0)
        return;
    FileRemoval result = RemoveFileOrSchedule(r->logPath);
    NoteFileResult(r, r->logPath, result);
    if (result != FILE_KEPT && named > 0)
        ReportLine("uninstall entry %s %s", entry,
                   DeleteKeyTree(entry) ? "removed" : "NOT removed");
}
