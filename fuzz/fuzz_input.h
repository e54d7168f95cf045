// Helpers shared by the fuzz targets: the fuzzer's bytes are read as a few
// option bytes followed by NUL-separated text fields, and every text or
// output buffer lives in a heap block of exactly its declared size, so
// AddressSanitizer reports the first byte read or written past it.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/text/dbcs.h"

// A failed property check: print it and abort, which libFuzzer reports as
// a crash and saves the input.
#define FUZZ_CHECK(condition)                                              \
    do {                                                                   \
        if (!(condition)) {                                                \
            fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, \
                    __FILE__, __LINE__);                                   \
            abort();                                                       \
        }                                                                  \
    } while (0)

struct FuzzReader {
    const uint8_t *data;
    size_t size;
};

inline FuzzReader MakeReader(const uint8_t *data, size_t size)
{
    FuzzReader reader = {data, size};
    return reader;
}

// The next byte, or 0 when the input is used up.
inline uint8_t TakeByte(FuzzReader *reader)
{
    if (reader->size == 0)
        return 0;
    uint8_t byte = reader->data[0];
    reader->data++;
    reader->size--;
    return byte;
}

// The bytes up to the next NUL (which is consumed) or the end of the input,
// as a NUL-terminated heap copy of exactly length + 1 bytes. Free with free().
inline char *TakeField(FuzzReader *reader)
{
    const uint8_t *end =
        (const uint8_t *)memchr(reader->data, '\0', reader->size);
    size_t length = end ? (size_t)(end - reader->data) : reader->size;
    char *field = (char *)malloc(length + 1);
    if (length > 0)
        memcpy(field, reader->data, length);
    field[length] = '\0';
    size_t consumed = end ? length + 1 : length;
    reader->data += consumed;
    reader->size -= consumed;
    return field;
}

// The rest of the input as raw bytes in a block of exactly that size.
inline uint8_t *TakeRest(FuzzReader *reader, size_t *length)
{
    *length = reader->size;
    uint8_t *rest = (uint8_t *)malloc(reader->size ? reader->size : 1);
    if (reader->size > 0)
        memcpy(rest, reader->data, reader->size);
    reader->data += reader->size;
    reader->size = 0;
    return rest;
}

// A caller-owned output buffer of exactly size bytes, filled with a marker
// so that an unterminated result shows. AddressSanitizer does not report a
// write into malloc(0), so a zero size gets one marker byte, which the
// caller checks with MarkerIntact.
inline char *NewOutputBuffer(size_t size)
{
    char *buffer = (char *)malloc(size ? size : 1);
    memset(buffer, '#', size ? size : 1);
    return buffer;
}

// A buffer of exactly size bytes (size > 0) holding the start of initial,
// cut byte-wise to size - 1, with the marker behind its terminator.
inline char *NewTextBuffer(size_t size, const char *initial)
{
    char *buffer = NewOutputBuffer(size);
    size_t length = strlen(initial);
    if (length > size - 1)
        length = size - 1;
    memcpy(buffer, initial, length);
    buffer[length] = '\0';
    return buffer;
}

inline bool MarkerIntact(const char *buffer)
{
    return buffer[0] == '#';
}

// True when buffer holds a terminator within its first size bytes.
inline bool TerminatedWithin(const char *buffer, size_t size)
{
    return size > 0 && memchr(buffer, '\0', size) != NULL;
}

// An option byte picks the ANSI code page the target runs under: an even
// byte the single-byte Western page, an odd one Shift-JIS.
inline int CodePageFromByte(uint8_t byte)
{
    return (byte & 1) ? 932 : 1252;
}

// True when offset is where a character of text starts (or its end), in
// the code page set with SetDbcsCodePage.
inline bool OnCharBoundary(const char *text, size_t offset)
{
    const char *p = text;
    while ((size_t)(p - text) < offset && *p != '\0')
        p = NextChar(p);
    return (size_t)(p - text) == offset;
}
