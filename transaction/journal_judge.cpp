#include "transaction/journal_judge.h"

#include <windows.h>
#include <string.h>

#include "common/folders.h"
#include "common/install_report.h"
#include "core/log/log_reader.h"
#include "core/script/shortcut_rule.h"
#include "core/text/dbcs.h"
#include "removal/file_remove.h"
#include "removal/uninstall_entry.h"
#include "transaction/journal_writer.h"

// Two seconds in FILETIME units: a FAT volume keeps write times to that.
static const unsigned long long kWriteTimeSlack = 20000000ull;

static bool OpenMachineKey(const char *key, HKEY *opened)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened) ==
           ERROR_SUCCESS;
}

static bool HasValue(const char *key, const char *name)
{
    HKEY opened;
    if (!OpenMachineKey(key, &opened))
        return false;
    bool found = RegQueryValueExA(opened, name, NULL, NULL, NULL, NULL) ==
                 ERROR_SUCCESS;
    RegCloseKey(opened);
    return found;
}

void OpenStepJudge(StepJudge *judge, const char *logPath, bool createdEntry)
{
    memset(judge, 0, sizeof(*judge));
    CopyText(judge->logPath, sizeof(judge->logPath), logPath);
    // One byte more than a name: a longer one is refused, not cut.
    char name[UNINSTALL_KEY_NAME_SIZE + 1];
    GetPrivateProfileStringA("UnInstKey", "UnInstKey_File", "", name,
                             sizeof(name), logPath);
    // A log cut short by a run killed while it rewrote the log names no
    // entry; the journal names the one the run was about to write.
    if (name[0] == '\0')
        ReadTransactionText(logPath, "UnInstKey", name, sizeof(name));
    FormJournalScope(&judge->scope, name);
    const char *entry = judge->scope.entryKey;
    HKEY opened;
    if (entry[0] == '\0' || !OpenMachineKey(entry, &opened))
        return;   // nothing there to change
    RegCloseKey(opened);
    judge->entryMayChange =
        EntryNamesLog(entry, logPath) ||
        (createdEntry && !HasValue(entry, "UninstallString"));
}

bool IsEntryStep(const StepJudge *judge, const JournalStep *step)
{
    return (step->kind == STEP_KEY || step->kind == STEP_VALUE) &&
           IsScopeEntry(&judge->scope, step->key);
}

// Whether undoing the registry step would change nothing: the key it
// removes is gone, the value is as the journal recorded it.
static bool IsAlreadyAsRecorded(const JournalStep *step)
{
    HKEY opened;
    if (!OpenMachineKey(step->key, &opened))
        return step->kind == STEP_KEY || step->absent;
    if (step->kind == STEP_KEY) {
        RegCloseKey(opened);
        return false;
    }
    static unsigned char data[JOURNAL_DATA_SIZE];
    DWORD type = 0;
    DWORD size = sizeof(data);
    LONG result = RegQueryValueExA(opened, step->valueName, NULL, &type, data,
                                   &size);
    RegCloseKey(opened);
    if (result == ERROR_FILE_NOT_FOUND)
        return step->absent;
    return result == ERROR_SUCCESS && !step->absent && type == step->type &&
           size == step->dataSize && memcmp(data, step->data, size) == 0;
}

// Whether path lies in a per-user or common Programs or Startup folder:
// where Program Manager and the run put shortcut files.
static bool IsShortcutPlace(const char *path)
{
    char folder[PATH_SIZE];
    for (int common = 0; common <= 1; common++) {
        if (ReadProgramsFolder(common != 0, folder, sizeof(folder)) &&
            IsInsideFolder(path, folder, NULL))
            return true;
        if (GetShellFolder(folder, sizeof(folder), "Startup",
                           "Common Startup", common) > 0 &&
            IsInsideFolder(path, folder, NULL))
            return true;
    }
    return false;
}

void RefuseJournalStep(StepJudge *judge, const JournalStep *step,
                       const char *reason)
{
    judge->refused++;
    // Named also in a quiet recovery: a refused step is why it stays.
    bool quiet = SetReportQuiet(false);
    if (step->kind == STEP_KEY || step->kind == STEP_VALUE)
        ReportLine("journal step refused (%s): %s %s%s%s", reason,
                   step->root == ROOT_CURRENT_USER ? "HKEY_CURRENT_USER"
                                                   : "HKEY_LOCAL_MACHINE",
                   step->key, step->kind == STEP_VALUE ? " value " : "",
                   step->kind == STEP_VALUE ? step->valueName : "");
    else
        ReportLine("journal step refused (%s): %s", reason, step->path);
    SetReportQuiet(quiet);
}

bool AdmitJournalStep(StepJudge *judge, const JournalStep *step)
{
    JournalStepVerdict verdict = JudgeJournalStep(step, &judge->scope);
    if (verdict != JOURNAL_STEP_ALLOWED) {
        RefuseJournalStep(judge, step, DescribeJournalStepVerdict(verdict));
        return false;
    }
    if (step->kind == STEP_KEY || step->kind == STEP_VALUE) {
        if (IsEntryStep(judge, step) && !judge->entryMayChange &&
            !IsAlreadyAsRecorded(step)) {
            RefuseJournalStep(judge, step,
                              "an uninstall entry that does not name this "
                              "log");
            return false;
        }
        return true;
    }
    RemovalVerdict removal = JudgeRemoval(step->path);
    if (removal != REMOVAL_ALLOWED) {
        RefuseJournalStep(judge, step, DescribeRemovalVerdict(removal));
        return false;
    }
    if (step->kind == STEP_LINK && !IsShortcutPlace(step->path)) {
        RefuseJournalStep(judge, step,
                          "a shortcut outside the Programs and Startup "
                          "folders");
        return false;
    }
    return true;
}

bool IsFileTheRunWrote(const JournalStep *step, const char *path)
{
    if (IsLinkFilePath(path) && IsShortcutPlace(path))
        return true;
    if (!step->printed)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    unsigned long long size =
        ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    unsigned long long written =
        ((unsigned long long)found.ftLastWriteTime.dwHighDateTime << 32) |
        found.ftLastWriteTime.dwLowDateTime;
    unsigned long long apart = written > step->writeTime
                                   ? written - step->writeTime
                                   : step->writeTime - written;
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           size == step->fileSize && apart <= kWriteTimeSlack;
}
