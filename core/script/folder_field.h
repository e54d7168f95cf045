// The folder fields of a file entry ("file%03d" = name;source;destination)
// resolved into a folder, as the copy forms the source and destination
// paths. Setup (install/file_copy.cpp) and the media checker share it.
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

// Expands the folder macros of field into expanded (size bytes). Returns
// false when the field or a folder a macro stands for does not fit: the
// text is then no folder and must not be used. Setup expands with the
// computer's folders (common/folders.h ExpandFolderMacros), the checker
// with stand-ins of the longest likely length.
typedef bool (*FolderFieldExpander)(void *context, char *expanded,
                                    size_t size, const char *field);

// Resolves one folder field against base into folder (size bytes):
//   - empty field: base itself;
//   - a field with a leading backslash: base joined with the field's
//     expansion, one backslash between them (a folder of the media, or
//     one below the destination);
//   - any other field: its expansion, taken as a complete folder.
// Returns false, and folder is then unusable, when the expansion does not
// fit (expand says so: a macro kept unexpanded would make a relative
// folder named "@STARTUPDIR\..." below the current one) or when the
// result is longer than size - 1. The caller refuses the entry then.
// codePage: the code page of base and field (whose second bytes may be
// backslashes).
bool ResolveFolderField(char *folder, size_t size, const char *base,
                        const char *field, FolderFieldExpander expand,
                        void *context, int codePage = CURRENT_CODE_PAGE);
