// Copying the files of one install-script file section to the destination,
// with progress on the progress dialog and every created file and folder
// recorded in the uninstall log.
#pragma once

#include <windows.h>

#include "core/log/log_names.h"
#include "core/progman/progman_commands.h"
#include "core/setup_limits.h"
#include "log/uninstall_log.h"
#include "transaction/transaction.h"

// Entries whose file could not be copied, summed over the sections of one
// install run, with the destination of the first one; and the shortcut
// entries of the run that Program Manager could not be given.
struct CopyFailures {
    int count;
    char firstFile[PATH_SIZE];
    ShortcutSkips shortcuts;
    int restartCount;                   // in use: replaced at the restart
    char firstRestartFile[PATH_SIZE];
};

// What the copies of the following CopySection calls do with a file that
// cannot be copied (NULL: go on, as Ignore). Also forgets an earlier
// Abort.
void SetCopyFailurePolicy(CopyFailurePolicy policy, void *context);

// Before the run's first change, every target of the install script is
// judged with the one target-path judgement (core/text/target_path.h): a
// complete local path, no "." or "..", no device name, no forbidden
// character. So a folder field such as "\..\Shared", or one that is no
// complete path after expansion ("Common", "@SystemDir"), installs nothing
// that the uninstaller would refuse to remove. A target that fails is a
// copy failure that names it ("not copied: TARGET (reason)"), asked about
// through the policy of SetCopyFailurePolicy: Retry judges it again,
// Ignore goes on without it (the copy skips it), Abort ends the run with
// nothing changed. Return 0 when the policy aborted.
int JudgeUninstallLogPath(const char *scriptPath, CopyFailures *failures);
int JudgeSectionTargets(const char *scriptPath, const char *destinationFolder,
                        const char *fileSection, int allUsers,
                        CopyFailures *failures);

// Copies the entries of fileSection ("file%03d" = name;source;destination)
// and records in the uninstall log ([UnInstLog] "UnInstLog" of the script)
// the folders, the files, the shortcut files of shortcutSection under the
// program group and those of startupSection (may be NULL) in the Startup
// folder. A failed copy does not stop the section: the entry still takes
// its progress step and is recorded, and it is counted in failures (may be
// NULL); the policy (see SetCopyFailurePolicy) may retry it or abort the
// run. Each file is copied to a temporary name beside its target and
// renamed over it, an existing target kept as backup first, and every step
// is recorded in the journal of the open transaction before it is taken.
// Returns 1, or 0 when the policy aborted the run (the remaining entries
// are left alone).
int CopySection(const char *scriptPath, const char *destinationFolder,
                HWND progressBar, HWND fileLabel, const char *groupName,
                const char *fileSection, const char *shortcutSection,
                const char *startupSection, int allUsers,
                CopyFailures *failures);

// Sets the attributes of the destination file of every entry of
// fileSection. Nothing is created, copied, logged or shown. Returns 1.
int SetSectionAttributes(const char *scriptPath,
                         const char *destinationFolder,
                         const char *fileSection, DWORD attributes,
                         int allUsers);

// Calls visit with the source and the target of every entry of fileSection
// that names a file and whose paths fit, formed as the copy forms them.
// Nothing is created, copied, logged or shown.
typedef void (*SectionFileVisitor)(void *context, const char *source,
                                   const char *target);
void VisitSectionFiles(const char *scriptPath, const char *destinationFolder,
                       const char *fileSection, int allUsers,
                       SectionFileVisitor visit, void *context);
