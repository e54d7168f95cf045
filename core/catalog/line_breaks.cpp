#include "core/catalog/line_breaks.h"

#include "core/text/dbcs.h"

void ApplyLineBreaks(char *text)
{
    for (char *p = text; *p != '\0'; p = NextChar(p)) {
        if (p[0] == '\\' && p[1] == 'n') {
            p[0] = ' ';
            p[1] = '\n';
        }
    }
}
