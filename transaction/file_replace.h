// A file put in place so that its target is always either the old file or
// the whole new one: copied to a temporary name in the target's folder
// (flushed when it replaces a file), then put over the target with the
// old file kept under a backup name there: on the NT family the backup is
// a second name of the old file (a hard link, or a copy where the volume
// has none) and one rename puts the new file over the target; the 95
// family has two renames, and the target is briefly absent between them.
// A target held open by another program, whatever its share mode, is
// replaced at the next restart instead.
#pragma once

#include <windows.h>
#include <stddef.h>

// folder-of-target\tag + extension (".tmp", ".bak") into path (size
// bytes). Returns false when it does not fit or target has no folder.
bool FormSidePath(const char *target, const char *tag, const char *extension,
                  char *path, size_t size);

// A tag (JOURNAL_TAG_SIZE bytes) whose temporary and backup names are both
// free in target's folder. Returns false when none is.
bool ChooseSideTag(const char *target, char *tag, size_t size);

// Copies source to temporary (created, or emptied when it is there) with
// the source's times and no attribute: a file from read-only media is
// installed writable. Returns false with *error set; a failed copy may
// leave temporary behind for the caller to delete.
// With flush the data reach the disk before the call returns.
bool CopyToTemporary(const char *source, const char *temporary, bool flush,
                     DWORD *error);

enum PlacedFile {
    PLACED_NOW,          // the target is the new file
    PLACED_AT_RESTART,   // in use: the temporary file replaces it then
    PLACE_FAILED         // the target is as it was; *error says why
};

// Puts the finished temporary file over target. keepOld: target exists
// and is kept as backup first. A target that another program holds
// (sharing or lock violation, or its replacement denied) gets
// PLACED_AT_RESTART.
PlacedFile PlaceNewFile(const char *temporary, const char *target,
                        const char *backup, bool keepOld, DWORD *error);
