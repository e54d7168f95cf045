// Which picture file a wizard page shows: from the catalog's [bmp]
// section, where the value "nothing" (exactly, the read's default) means
// unset. Shared by the frame and the media checker.
#pragma once

#include <stddef.h>

// Reads [bmp] key into value (size bytes) with the default "nothing".
typedef void (*PictureValueReader)(void *context, const char *key,
                                   char *value, size_t size);

// One picture for every page ("Tovrin"), else one for this page
// ("Tovrin" and the index in two digits), else one for the page's kind,
// else the kind followed by ".bmp". name gets size bytes at most.
void ChoosePictureName(int index, const char *kind, PictureValueReader read,
                       void *context, char *name, size_t size);
