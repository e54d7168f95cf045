#include "core/text/path_join.h"

#include <string.h>

#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"

int AppendPath(char *path, size_t size, const char *component,
               int codePage)
{
    size_t pathLength = strlen(path);
    size_t componentLength = strlen(component);
    // The test counts the component as given, leading backslash included,
    // and is made before a separator is added (so the result is at most
    // size - 1 characters even when one is).
    if (size < 2 || pathLength + componentLength > size - 2)
        return -1;

    size_t length = pathLength;
    if (pathLength > 0 && !EndsWithSeparator(path, codePage))
        path[length++] = '\\';
    if (component[0] == '\\') {
        component++;
        componentLength--;
    }
    memcpy(path + length, component, componentLength + 1);
    return (int)(length + componentLength);
}

int ReplaceToken(char *text, size_t size, const char *token,
                 const char *replacement, int codePage)
{
    size_t tokenLength = strlen(token);
    size_t replacementLength = strlen(replacement);
    if (tokenLength == 0)
        return 1;
    int result = 1;

    char *position = text;
    while (*position != '\0') {
        if (strncmp(position, token, tokenLength) == 0) {
            size_t textLength = strlen(text);
            size_t newLength = textLength - tokenLength + replacementLength;
            if (newLength + 1 <= size) {
                char *tail = position + tokenLength;
                memmove(position + replacementLength, tail, strlen(tail) + 1);
                memcpy(position, replacement, replacementLength);
                // The character right behind the inserted text is stepped
                // over below without being tested.
                position += replacementLength;
                if (*position == '\0')
                    break;
            } else {
                position += tokenLength - 1;  // keep it; step past below
                result = 0;
            }
        }
        position = NextChar(position, codePage);
    }
    return result;
}

const char *ProductFolderBelowProgramFiles(const char *productFolder)
{
    static const char prefix[] = "c:\\Program Files\\";
    size_t length = sizeof(prefix) - 1;
    if (CompareAsciiNoCase(productFolder, prefix, length) != 0)
        return productFolder;
    return productFolder + length;
}
