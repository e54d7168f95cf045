// The folder macros of install-script folder fields. The replacing is
// plain text work, shared by setup (with the real folders) and the media
// checker (with stand-ins of the longest likely length).
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

struct FolderMacroValues {
    const char *systemDir;     // @SYSTEMDIR
    const char *windowsDir;    // @WINDOWSDIR
    const char *languageCode;  // @LANGDIR: the bare language code
    const char *startupDir;    // @STARTUPDIR
};

constexpr int FOLDER_MACRO_COUNT = 4;
// The macro names, in the order they are replaced.
extern const char *const kFolderMacroNames[FOLDER_MACRO_COUNT];

// Copies source into dest (size bytes, cut to fit) and replaces each macro
// in the order above; a replacement that does not fit leaves its token.
// Returns false when source was cut or a token was left: dest is then no
// folder setup may use.
bool ReplaceFolderMacros(char *dest, size_t size, const char *source,
                         const FolderMacroValues *values,
                         int codePage = CURRENT_CODE_PAGE);
// The same, in place: dest already holds the text.
bool ReplaceFolderMacros(char *dest, size_t size,
                         const FolderMacroValues *values,
                         int codePage = CURRENT_CODE_PAGE);
