#include "core/catalog/catalog_key.h"

#include "core/text/text_split.h"

bool SplitSectionKey(const char *key, char *section, size_t sectionSize,
                     char *name, size_t nameSize)
{
    if (sectionSize > 0)
        section[0] = '\0';
    if (nameSize > 0)
        name[0] = '\0';
    if (key[0] != '@')
        return false;
    const char *cursor = key + 1;
    if (NextToken(&cursor, "@", section, sectionSize) &&
        NextToken(&cursor, "@", name, nameSize))
        return true;
    if (sectionSize > 0)
        section[0] = '\0';
    return false;
}
