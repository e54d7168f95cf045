#include "core/text/dbcs.h"

// Hosts other than Windows have no ANSI code page; their texts are taken
// as single-byte.
int GetSystemCodePage()
{
    return 1252;
}
