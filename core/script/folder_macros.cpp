#include "core/script/folder_macros.h"

#include "core/text/dbcs.h"
#include "core/text/path_join.h"

const char *const kFolderMacroNames[FOLDER_MACRO_COUNT] = {
    "@SYSTEMDIR", "@WINDOWSDIR", "@LANGDIR", "@STARTUPDIR"};

void ReplaceFolderMacros(char *dest, size_t size,
                         const FolderMacroValues *values)
{
    const char *replacements[FOLDER_MACRO_COUNT] = {
        values->systemDir, values->windowsDir, values->languageCode,
        values->startupDir};
    for (int i = 0; i < FOLDER_MACRO_COUNT; i++)
        ReplaceToken(dest, size, kFolderMacroNames[i], replacements[i]);
}

void ReplaceFolderMacros(char *dest, size_t size, const char *source,
                         const FolderMacroValues *values)
{
    CopyText(dest, size, source);
    ReplaceFolderMacros(dest, size, values);
}
