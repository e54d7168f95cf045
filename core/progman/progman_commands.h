// The command texts sent to Program Manager over DDE. Each is composed in
// a caller's buffer (PROGMAN_COMMAND_SIZE bytes in the conversation) that
// is cleared first; a command that does not fit is never cut, because a cut
// command would create a wrong group or item.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/text/dbcs.h"

// Shortcut entries that Program Manager was not given because no command
// could carry them (a quote, comma, parenthesis or bracket where its
// syntax ends an argument, or a command too long): how many, and the
// titles of the first SKIPPED_TITLES_KEPT, for the end-of-run warning or
// a report.
constexpr int SKIPPED_TITLES_KEPT = 8;
struct ShortcutSkips {
    int count;
    char titles[SKIPPED_TITLES_KEPT][PATH_SIZE];
};

// Counts one more skipped entry and keeps its title while there is room.
void NoteSkippedShortcut(ShortcutSkips *skips, const char *title);

// [CreateGroup("group",common)][ShowGroup("group",1)]: creation and
// showing go in one transaction. Returns the length, or -1 (buffer empty)
// when the command does not fit or the group holds a double quote.
int ComposeCreateGroupCommand(char *command, size_t size, const char *group,
                              int commonGroup);

// [AddItem("path" arguments,"title")]: the path is always quoted and
// followed by one blank, also when there are no arguments. Returns the
// length, or -1 (buffer empty) when it does not fit, the path or title
// holds a double quote, or the arguments hold a quote, comma, parenthesis
// or bracket (any of which would end the command early).
int ComposeAddItemCommand(char *command, size_t size, const char *path,
                          const char *arguments, const char *title,
                          int codePage = CURRENT_CODE_PAGE);

// [ExitProgman(1)]. Returns the length, or -1 when it does not fit.
int ComposeExitCommand(char *command, size_t size);
