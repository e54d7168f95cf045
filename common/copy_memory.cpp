#include "common/copy_memory.h"

#include <stdlib.h>

static void *(*g_reallocate)(void *, size_t) = realloc;

void *GrowCopyMemory(void *block, size_t size)
{
    return g_reallocate(block, size);
}

void SetCopyMemoryAllocator(void *(*reallocate)(void *, size_t))
{
    g_reallocate = reallocate != NULL ? reallocate : realloc;
}
