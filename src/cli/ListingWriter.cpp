#include "ListingWriter.h"

#include <cstdio>

namespace {

// Large enough that a write costs little beside the formatting, small enough to stay in the cache.
constexpr std::size_t kBlock = std::size_t{256} << 10;

}  // namespace

CListingWriter::CListingWriter()
    : buffer(std::make_unique_for_overwrite<char[]>(kBlock)), capacity(kBlock) {}

char* CListingWriter::Reserve(std::size_t size) {
    if (capacity - used >= size) return buffer.get() + used;
    Flush();
    if (size > capacity) {
        buffer = std::make_unique_for_overwrite<char[]>(size);
        capacity = size;
    }
    return buffer.get();
}

void CListingWriter::Flush() {
    if (used > 0) std::fwrite(buffer.get(), 1, used, stdout);
    used = 0;
}
