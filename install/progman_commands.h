// The command texts sent to Program Manager over DDE. Each is composed in
// a caller's buffer (PROGMAN_COMMAND_SIZE bytes in the conversation) that
// is cleared first; a command that does not fit is never cut, because a cut
// command would create a wrong group or item.
#pragma once

#include <stddef.h>

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
                          const char *arguments, const char *title);

// [ExitProgman(1)]. Returns the length, or -1 when it does not fit.
int ComposeExitCommand(char *command, size_t size);
