#include "ParallelFor.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

thread_local unsigned workerIndex = 0;

}  // namespace

unsigned ProcessorCount() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
    return std::max(1u, std::thread::hardware_concurrency());
}

unsigned ParallelWorkerIndex() {
    return workerIndex;
}

void ParallelFor(std::size_t begin, std::size_t end, unsigned threads,
                 const std::function<void(std::size_t index)>& body) {
    if (begin >= end) return;
    const std::size_t count = end - begin;
    const auto wanted = static_cast<unsigned>(
        std::min<std::size_t>(threads != 0 ? threads : ProcessorCount(), count));
    // Small enough that a few slow tasks at the end (pictures) are spread over the threads,
    // large enough that the shared counter is rarely fought over for many quick ones (pages).
    const std::size_t chunk = std::clamp<std::size_t>(count / (std::size_t{wanted} * 64), 1, 64);
    std::atomic<std::size_t> next{begin};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&](unsigned worker) {
        const unsigned outer = workerIndex;
        workerIndex = worker;
        try {
            while (!failed.load(std::memory_order_relaxed)) {
                const std::size_t first = next.fetch_add(chunk);
                if (first >= end) break;
                const std::size_t last = std::min(end, first + chunk);
                for (std::size_t index = first; index < last; ++index) body(index);
            }
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
        workerIndex = outer;
    };
    {
        std::vector<std::jthread> pool;
        pool.reserve(wanted - 1);
        try {
            for (unsigned worker = 1; worker < wanted; ++worker) pool.emplace_back(work, worker);
        } catch (const std::system_error&) {
            // The system grants no more threads: those running, and the caller's, do the work.
        }
        work(0);
    }
    if (failure) std::rethrow_exception(failure);
}
