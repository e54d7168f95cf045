// Character stepping in the ANSI code page. In Shift-JIS (and the other
// double-byte code pages) the second byte of a character may be 0x5C, the
// backslash, so a path is never scanned byte by byte for separators.
#pragma once

#include <stddef.h>

// The system's ANSI code page: GetACP on Windows
// (common/system_code_page.cpp), single-byte 1252 on other hosts
// (core/text/host_code_page.cpp). Linked in, so that this folder needs no
// Win32 header.
int GetSystemCodePage();

// The code page whose lead bytes count. 0 means the system's ANSI code
// page. Tests set it.
void SetDbcsCodePage(int codePage);
int GetDbcsCodePage();

// Every function below that takes a codePage steps through that code page;
// left out (CURRENT_CODE_PAGE) it is the one SetDbcsCodePage chose. A
// program that reads texts of several code pages at once (the media
// checker) passes it, instead of switching the process-wide one.
constexpr int CURRENT_CODE_PAGE = 0;

bool IsDbcsLead(unsigned char byte, int codePage = CURRENT_CODE_PAGE);

// The next character after p; never steps past the terminating NUL, also
// when a lead byte is the last byte of the string.
const char *NextChar(const char *p, int codePage = CURRENT_CODE_PAGE);
char *NextChar(char *p, int codePage = CURRENT_CODE_PAGE);

// The last backslash that is a character of its own, or NULL.
const char *FindLastSeparator(const char *text,
                              int codePage = CURRENT_CODE_PAGE);
char *FindLastSeparator(char *text, int codePage = CURRENT_CODE_PAGE);
bool EndsWithSeparator(const char *text, int codePage = CURRENT_CODE_PAGE);

// Copies at most size - 1 bytes and always terminates; a double-byte
// character that does not fit whole is dropped, never split.
// Returns the number of bytes copied.
size_t CopyText(char *dest, size_t size, const char *source,
                int codePage = CURRENT_CODE_PAGE);

// Cuts text so that it holds at most maxBytes bytes and does not end in
// half a character.
void CutText(char *text, size_t maxBytes, int codePage = CURRENT_CODE_PAGE);

// The number of characters of text (a double-byte character is one).
size_t CountChars(const char *text, int codePage = CURRENT_CODE_PAGE);
