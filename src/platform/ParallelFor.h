#pragma once

#include <cstddef>
#include <functional>

// The processors this process may run on (its affinity mask), at least 1.
unsigned ProcessorCount();

// Runs body(index) for every index in [begin, end) on up to `threads` threads (0: one per
// processor), the calling thread among them. The threads are started for the call and joined
// before it returns, so nothing stays behind between calls (an export makes a handful). Indices
// are handed out a few at a time as threads come free; with one thread they run in order on the
// caller's. When a body throws, no further index is begun and the first exception
// is thrown again here once every thread has stopped.
void ParallelFor(std::size_t begin, std::size_t end, unsigned threads,
                 const std::function<void(std::size_t index)>& body);
inline void ParallelFor(std::size_t count, const std::function<void(std::size_t index)>& body) {
    ParallelFor(0, count, 0, body);
}

// Inside a body of ParallelFor, which of its threads runs it: 0 (the caller's) up to one less
// than the threads it asked for, so that each thread can keep state of its own. 0 elsewhere.
unsigned ParallelWorkerIndex();
