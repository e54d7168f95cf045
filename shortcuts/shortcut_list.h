// One shortcut section of the install script as both kinds of run make it:
// the list of its entries, the group folder its links land in, and each
// entry resolved by the one shortcut rule (core/script/shortcut_rule.h)
// with this computer's folders.
#pragma once

#include <stddef.h>

#include "core/script/shortcut_rule.h"

// One section's shortcuts; every text buffer holds PATH_SIZE bytes. An
// entry with an empty title is not made.
struct ShortcutList {
    int count;
    char *groupName;
    char **titles;
    char **paths;        // command path: folder joined with the file
    char **arguments;
};

// Tests only: replaces malloc for the list's buffers (NULL restores it).
void SetShortcutAllocator(void *(*allocate)(size_t));

// Allocates the group-name buffer, the three arrays and every entry's
// three buffers for list->count entries. Returns 1, or 0 when one
// allocation fails (what was allocated is then released).
int AllocShortcutList(ShortcutList *list);
// Releases what AllocShortcutList allocated; safe on a partial list.
void FreeShortcutList(ShortcutList *list);

// The group's folder: the per-user or common Programs folder (by the
// all-users rule of the shell folders) joined with group. Returns false,
// folder empty, when there is no Programs folder or the join does not fit.
bool FormGroupFolder(const char *group, int allUsers, char *folder,
                     size_t size);

// Entries of a section up to the first missing or empty one (at most
// MAX_SCRIPT_ENTRIES), read from the install script at scriptPath.
int CountShortcutEntries(const char *scriptPath, const char *section);

// Reads entry index of the section and resolves it against destination
// (the folder of an entry without a folder field) and linkFolder (NULL
// when not known). Folder macros expand with this computer's folders.
ShortcutVerdict ReadShortcut(const char *scriptPath, const char *section,
                             int index, const char *destination,
                             const char *linkFolder, int allUsers,
                             ResolvedShortcut *shortcut);
