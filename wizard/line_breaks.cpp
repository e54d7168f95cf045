#include "wizard/line_breaks.h"

#include "common/dbcs.h"

void ApplyLineBreaks(char *text)
{
    for (char *p = text; *p != '\0'; p = NextChar(p)) {
        if (p[0] == '\\' && p[1] == 'n') {
            p[0] = ' ';
            p[1] = '\n';
        }
    }
}
