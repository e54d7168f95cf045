#include "core/script/folder_field.h"

#include <string.h>

#include "core/setup_limits.h"
#include "core/text/path_join.h"

static bool CopyWhole(char *dest, size_t size, const char *source,
                      int codePage)
{
    return CopyText(dest, size, source, codePage) == strlen(source);
}

bool ResolveFolderField(char *folder, size_t size, const char *base,
                        const char *field, FolderFieldExpander expand,
                        void *context, int codePage)
{
    if (size > 0)
        folder[0] = '\0';
    if (field[0] == '\0')
        return CopyWhole(folder, size, base, codePage);
    char expanded[PATH_SIZE];
    if (!expand(context, expanded, sizeof(expanded), field))
        return false;
    if (field[0] != '\\')
        return CopyWhole(folder, size, expanded, codePage);
    return CopyWhole(folder, size, base, codePage) &&
           AppendPath(folder, size, expanded, codePage) >= 0;
}
