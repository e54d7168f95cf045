#include <windows.h>

#include "core/text/dbcs.h"

int GetSystemCodePage()
{
    return (int)GetACP();
}
