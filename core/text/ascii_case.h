// Case without regard to the code page: only the ASCII letters A-Z and
// a-z have a case here. Windows file names, profile keys and the
// list box's prefix search fold exactly these in the ANSI code pages we
// support, and a second byte of a double-byte character is never folded
// (0x83 0x41 and 0x83 0x61 are two different katakana).
#pragma once

#include <stddef.h>

#include "core/text/dbcs.h"

char LowerAscii(char c);

// Compares the first length bytes of a and b with ASCII letters folded,
// as strncmp does (stops at a NUL). Byte by byte: for texts whose second
// bytes cannot be letters (keys, section names, ASCII words).
int CompareAsciiNoCase(const char *a, const char *b, size_t length);

// The same for whole strings.
int CompareAsciiNoCase(const char *a, const char *b);

// Folds the single-byte characters of text in place, stepping whole
// characters in codePage.
void LowerAsciiText(char *text, int codePage = CURRENT_CODE_PAGE);

// When text begins with prefix, character by character with ASCII letters
// folded (whole characters stepped in codePage, so that a second byte is
// compared as it is): the rest of text behind it. Otherwise NULL.
const char *SkipPrefixAsciiNoCase(const char *text, const char *prefix,
                                  int codePage = CURRENT_CODE_PAGE);

// Equal texts, compared as SkipPrefixAsciiNoCase compares them.
bool EqualsAsciiNoCase(const char *a, const char *b,
                       int codePage = CURRENT_CODE_PAGE);
