// Memory for what copying a file section keeps in hand: the uninstall log
// lists and the section's entries. Every use has a way on without it, so
// a failed allocation only makes the copy slower.
#pragma once

#include <stddef.h>

// realloc, or what tests put in its place.
void *GrowCopyMemory(void *block, size_t size);

// Tests only: replaces realloc (NULL restores it).
void SetCopyMemoryAllocator(void *(*reallocate)(void *, size_t));
