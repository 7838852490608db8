#include "HeapUse.h"

// Any header of the C library defines __GLIBC__ where it is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void LimitHeapArenas(int arenas) {
#if defined(__GLIBC__)
    if (arenas > 0) ::mallopt(M_ARENA_MAX, arenas);
#else
    (void)arenas;
#endif
}

void ReleaseFreeHeap() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}
