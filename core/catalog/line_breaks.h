// The catalog's line-break escape: a backslash followed by a lower-case n
// becomes a blank and a line feed, so the text keeps its length.
#pragma once

// Scans by character in the ANSI code page, so a Shift-JIS character whose
// second byte is 0x5C followed by an "n" stays as it is.
void ApplyLineBreaks(char *text);
