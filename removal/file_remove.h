// Files and folders going: read-only cleared, a file in use scheduled for
// the next restart, folders only when empty and never a system folder.
// Shared by the uninstaller and the install run's rollback.
#pragma once

#include <windows.h>

enum FileRemoval {
    FILE_GONE = 1,          // deleted now, or it was not there
    FILE_SCHEDULED = 2,     // in use: deleted at the next restart
    FILE_KEPT = 0,          // neither
};

// A followed link (IsFollowedLink) or a folder is kept.
FileRemoval RemoveFileOrSchedule(const char *path);

// Schedules path for deletion at the next restart: MoveFileExA on the NT
// family, a "NUL=" line with the short name in wininit.ini's [rename]
// section on the 95 family. Returns true when scheduled.
bool ScheduleDeletion(const char *path);

// Schedules source (a finished new file) to replace target at the next
// restart: MoveFileExA with MOVEFILE_REPLACE_EXISTING on the NT family, a
// "target=source" line with short names in wininit.ini's [rename] section
// on the 95 family (target must exist). Returns true when scheduled.
bool ScheduleReplacement(const char *source, const char *target);

// Makes the restart renames scheduled so far reach the disk: the
// Session Manager key (NT family) or wininit.ini (95 family).
void FlushScheduledRenames();

// Takes back every restart rename or deletion of source: its pairs leave
// PendingFileRenameOperations (NT family), its lines wininit.ini's
// [rename] section (95 family). Returns false when one could not be
// taken back.
bool CancelScheduledRename(const char *source);

// Whether path is a folder the uninstaller never removes: a drive root,
// the Windows or System folder, the Program Files and Common Files
// folders, every folder a "Shell Folders" or "User Shell Folders" value
// names (per-user and common), and every folder above one of these. Judged
// by what the folder is, not by its spelling: on the NT family by volume
// serial and file index (so another drive letter, a short name or a link
// reaching one is protected too), on the 95 family by full, short and long
// names, refusing any drive that neither the log (AllowDriveOf) nor the
// protected folders use. The folders are read once per process.
bool IsProtectedFolder(const char *path);

// Reads the protected folders again at the next check, and forgets the
// log's drives (tests, after changing the shell folders).
void ForgetProtectedFolders();

// A drive the log's own folders lie on (the destinations): on the 95
// family, once one is given, folders on other drives are protected.
void AllowDriveOf(const char *folder);

// Whether removing path would reach something other than the entry its
// parent folder holds: a link that the system follows when deleting (a
// Unix link under Wine). Such a path is left and named. False where it
// cannot be told (before Vista, where deletes never follow a link).
bool IsFollowedLink(const char *path);

// The one judgement of a path before anything there is removed or
// replaced, by the uninstaller for its log and by a rollback or commit
// for its journal: the path as it is written (core/text/target_path.h),
// then what it is on this machine.
enum RemovalVerdict {
    REMOVAL_ALLOWED = 0,
    REMOVAL_BAD_PATH,        // no complete local path, "..", a device
    REMOVAL_FOLLOWED_LINK,   // IsFollowedLink: what it reaches is not ours
    REMOVAL_PROTECTED        // IsProtectedFolder
};
RemovalVerdict JudgeRemoval(const char *path);

// The reason in a few English words, for reports. Never NULL.
const char *DescribeRemovalVerdict(RemovalVerdict verdict);

// Removes the folder when it is empty, not protected and not a followed
// link. Returns true when it is gone afterwards.
bool RemoveEmptyFolder(const char *path);

// Removes the empty folders above folder, nearest first, while mayRemove
// allows each (it is given the parent and context); stops at the first
// that is not empty or not allowed.
typedef bool (*ParentTest)(const char *parent, const void *context);
void RemoveEmptyParents(const char *folder, ParentTest mayRemove,
                        const void *context);

// Removes the empty folders above folder that lie below the Program Files
// folder: the install run creates them for its destination without
// listing them. Stops at the first that is not empty.
void RemoveEmptyParentsInProgramFiles(const char *folder);

// The name of the first entry in folder (size bytes), or false when it is
// empty or missing.
bool FirstEntryOf(const char *folder, char *name, size_t size);

// The per-user or (common) the common Programs folder (size bytes).
bool ReadProgramsFolder(bool common, char *folder, size_t size);

// The same path under the other Programs or Startup folder (per-user for a
// common one and the other way round): where Program Manager may have put
// a shortcut the log records under the other. Returns false when path
// lies under neither.
bool CounterpartPath(const char *path, char *other, size_t size);

void SetWininitPath(const char *path);
