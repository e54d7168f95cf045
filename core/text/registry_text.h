// String data read from the registry into a caller's buffer. Stored data
// need not end in a NUL, and a value whose text fills the buffer exactly
// (259 characters in a path buffer) still fits when its NUL does.
#pragma once

#include <stddef.h>

// Ends the bytes read into text (size bytes, bytes of them filled by the
// query) at their first NUL, or adds one behind them. Returns the length,
// or -1 (text empty) when the text and a NUL do not fit in size bytes.
int EndRegistryText(char *text, size_t size, size_t bytes);
