#include "tv/allocator.h"

// Any header of the C library says whether it is glibc; without one the test below
// would find nothing and the policy would compile to nothing.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void SetAllocatorPolicy() {
#if defined(__GLIBC__)
    // Blocks of a picture's size are mapped and given back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_ARENA_MAX, 2);
#endif
}

void GiveBackFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
