#include "core/script/folder_macros.h"

#include <string.h>

#include "core/text/dbcs.h"
#include "core/text/path_join.h"

const char *const kFolderMacroNames[FOLDER_MACRO_COUNT] = {
    "@SYSTEMDIR", "@WINDOWSDIR", "@LANGDIR", "@STARTUPDIR"};

bool ReplaceFolderMacros(char *dest, size_t size,
                         const FolderMacroValues *values, int codePage)
{
    bool whole = true;
    const char *replacements[FOLDER_MACRO_COUNT] = {
        values->systemDir, values->windowsDir, values->languageCode,
        values->startupDir};
    for (int i = 0; i < FOLDER_MACRO_COUNT; i++)
        whole = ReplaceToken(dest, size, kFolderMacroNames[i],
                             replacements[i], codePage) == 1 &&
                whole;
    return whole;
}

bool ReplaceFolderMacros(char *dest, size_t size, const char *source,
                         const FolderMacroValues *values, int codePage)
{
    bool whole = CopyText(dest, size, source, codePage) == strlen(source);
    return ReplaceFolderMacros(dest, size, values, codePage) && whole;
}
