#pragma once

// How the program's heap holds on to memory. The C library gives every thread that allocates
// while another holds the heap an arena of its own, up to eight per processor, and each arena
// keeps what was freed in it for that thread's next allocation. An export runs its work on one
// thread per processor and the picture library on threads of its own besides, so those arenas
// add up to tens of megabytes that nothing needs any more.

// Called first in main(), before any other thread exists: the threads share at most
// `perProcessor` arenas for each processor the process may run on (ProcessorCount). Does nothing
// where the C library has no such setting.
void LimitHeapArenas(int perProcessor);
// The programs' setting. An export runs a thread per processor and libvips up to two more for each
// thumbnail being made; they allocate often enough that with two arenas in all the thumbnails took
// 13 % more CPU (on 2 processors), while two per processor stayed within the spread of the runs
// and keep a quarter of the C library's eight.
inline constexpr int kHeapArenasPerProcessor = 2;

// Hands the free pages of every arena back to the system: called where a phase of work has
// freed much of what it used and the next one allocates anew (the per-thread state of an
// export's workers before its record is made), so that the two do not add up.
void ReleaseFreeHeap();
