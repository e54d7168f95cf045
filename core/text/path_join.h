// Joining paths and replacing tokens inside caller-owned fixed buffers.
// Neither writes past the size it is given.
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

// Joins component onto path with one backslash between them: none is added
// when path already ends in one (or is empty), and one leading backslash of
// the component is dropped. Returns the new length, or -1 (path unchanged)
// when length(path) + length(component) > size - 2.
int AppendPath(char *path, size_t size, const char *component,
               int codePage = CURRENT_CODE_PAGE);

// Replaces every occurrence of token in text (size bytes) with replacement,
// left to right. An occurrence that starts at the character right behind a
// replacement is kept, and inserted text is never searched again. An
// occurrence whose replacement would not fit into size is left as it is.
// Returns 1, or 0 when an occurrence was left so.
int ReplaceToken(char *text, size_t size, const char *token,
                 const char *replacement, int codePage = CURRENT_CODE_PAGE);

// The install script's product folder below the program files folder: a
// folder written as a full path below "c:\Program Files\" (any case)
// loses that beginning; any other is taken as it is.
const char *ProductFolderBelowProgramFiles(const char *productFolder);
