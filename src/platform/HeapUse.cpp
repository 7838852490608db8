#include "HeapUse.h"

#include "ParallelFor.h"

// Any header of the C library defines __GLIBC__ where it is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void LimitHeapArenas(int perProcessor) {
#if defined(__GLIBC__)
    if (perProcessor > 0) ::mallopt(M_ARENA_MAX, perProcessor * static_cast<int>(ProcessorCount()));
#else
    (void)perProcessor;
#endif
}

void ReleaseFreeHeap() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}
