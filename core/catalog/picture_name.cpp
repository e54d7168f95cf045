#include "core/catalog/picture_name.h"

#include <stdio.h>
#include <string.h>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"

static bool ReadPictureName(const char *key, PictureValueReader read,
                            void *context, char *name, size_t size)
{
    // Read as every catalog text is.
    char value[CATALOG_TEXT_SIZE];
    read(context, key, value, sizeof(value));
    if (strcmp(value, "nothing") == 0)
        return false;
    CopyText(name, size, value);
    return true;
}

void ChoosePictureName(int index, const char *kind, PictureValueReader read,
                       void *context, char *name, size_t size)
{
    char pageKey[WIZARD_KEY_SIZE];
    snprintf(pageKey, sizeof(pageKey), "%s%02d", "Tovrin", index);
    if (ReadPictureName("Tovrin", read, context, name, size) ||
        ReadPictureName(pageKey, read, context, name, size) ||
        ReadPictureName(kind, read, context, name, size))
        return;
    snprintf(name, size, "%s.bmp", kind);
}
