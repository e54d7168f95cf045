// Shortcuts of an unattended run, made without Program Manager: its
// CreateGroup and ShowGroup open a folder window on the user's screen. The
// shell's link object writes each "title.lnk" straight into the group
// folder Program Manager would have used, with the same target, arguments
// and title the interactive run gives it.
#pragma once

#include <stddef.h>

struct ShortcutList;

// The group's folder: the per-user or common Programs folder (by the
// all-users rule of the shell folders) joined with group. Returns false,
// folder empty, when there is no Programs folder or the join does not fit.
bool FormGroupFolder(const char *group, int allUsers, char *folder,
                     size_t size);

// Creates the group folder and writes the list's shortcut files into it,
// each journaled before it is made, so a rollback removes them. Entries
// with an empty title, and those no Program Manager command can carry, are
// left out as the conversation leaves them out. Each shortcut that cannot
// be made is a report line and counts as a shortcut failure. Returns the
// number of those.
int WriteShortcutFiles(const ShortcutList *list, int allUsers);

// Lets go of the shell's link object, which stays loaded from the first
// section that needs it to the end of the run.
void EndShortcutFiles();

// The link file of title in folder ("folder\title.lnk") into link (size
// bytes). Returns false, link empty, when it does not fit.
bool FormLinkPath(const char *folder, const char *title, char *link,
                  size_t size);
