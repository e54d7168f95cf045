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

bool IsDbcsLead(unsigned char byte);

// The next character after p; never steps past the terminating NUL, also
// when a lead byte is the last byte of the string.
const char *NextChar(const char *p);
char *NextChar(char *p);

// The last backslash that is a character of its own, or NULL.
const char *FindLastSeparator(const char *text);
char *FindLastSeparator(char *text);
bool EndsWithSeparator(const char *text);

// Copies at most size - 1 bytes and always terminates; a double-byte
// character that does not fit whole is dropped, never split.
// Returns the number of bytes copied.
size_t CopyText(char *dest, size_t size, const char *source);

// Cuts text so that it holds at most maxBytes bytes and does not end in
// half a character.
void CutText(char *text, size_t maxBytes);
