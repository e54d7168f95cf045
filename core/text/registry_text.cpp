#include "core/text/registry_text.h"

#include <string.h>

int EndRegistryText(char *text, size_t size, size_t bytes)
{
    if (size == 0)
        return -1;
    if (bytes <= size) {
        const char *end = (const char *)memchr(text, '\0', bytes);
        if (end != NULL)
            return (int)(end - text);
        if (bytes < size) {
            text[bytes] = '\0';
            return (int)bytes;
        }
    }
    text[0] = '\0';
    return -1;
}
