// One "Icon%03d" entry of a shortcut or startup section resolved into the
// shortcut it makes: the file the link starts (its folder field expanded,
// or the destination, joined with its file), its arguments, and the link
// file ("folder\title.lnk") in the folder the section's links land in.
// Program Manager's client, the link files of an unattended run, the
// uninstall log and journal records and the media checker all decide
// with this one rule whether a shortcut is made: an entry that does not
// fit is not made at all, and never made from a cut value.
#pragma once

#include <stddef.h>

#include "core/script/folder_field.h"
#include "core/script/script_entry.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/target_path.h"

// Entries are read with one byte more than an entry holds, so a value
// that fills the entry tells itself apart from a longer one the read cut.
constexpr int SHORTCUT_READ_SIZE = SHORTCUT_ENTRY_SIZE + 1;

enum ShortcutVerdict {
    SHORTCUT_MADE = 0,
    SHORTCUT_ENTRY_TOO_LONG,    // the value is longer than an entry holds
    SHORTCUT_NO_FILE,           // no title and file
    SHORTCUT_TARGET_TOO_LONG,   // folder (macros expanded) and file
    SHORTCUT_LINK_TOO_LONG,     // link folder, title and ".lnk"
    SHORTCUT_BAD_LINK,          // the link is no file setup may write
    SHORTCUT_NOT_CARRIED        // no Program Manager command can carry it
};

// Where a section's shortcuts go.
struct ShortcutPlace {
    const char *destination;    // folder of an entry without a folder field
    const char *linkFolder;     // the group (or Startup) folder; NULL when
                                // not known: the link is then not formed
    FolderFieldExpander expand; // the folder field's macros
    void *context;              // for expand
    int codePage;               // of the entry and the folders
};

struct ResolvedShortcut {
    char title[PATH_SIZE];
    char target[PATH_SIZE];
    char arguments[PATH_SIZE];
    char link[PATH_SIZE];       // empty when the place has no link folder
    TargetPathVerdict linkVerdict;   // why the link was refused
};

// Resolves value (as read, at most SHORTCUT_READ_SIZE - 1 characters)
// into shortcut, in this order: the entry, the target, the arguments,
// the command that carries them, the link. A field is either whole or
// empty: those resolved before the rule refused the entry are kept (the
// title to name it by, the target for the checker), the rest are empty.
// Only SHORTCUT_MADE makes a shortcut.
ShortcutVerdict ResolveShortcut(const char *value, const ShortcutPlace *place,
                                ResolvedShortcut *shortcut);

// Why a shortcut is not made, for a report line.
const char *DescribeShortcutVerdict(ShortcutVerdict verdict,
                                    TargetPathVerdict linkVerdict);

// The link file of title in folder ("folder\title.lnk") into link (size
// bytes). Returns false, link empty, when it does not fit.
bool FormLinkPath(const char *folder, const char *title, char *link,
                  size_t size, int codePage = CURRENT_CODE_PAGE);

// Whether path names a link file (ends in ".lnk", any ASCII case, with a
// name before it).
bool IsLinkFilePath(const char *path);
