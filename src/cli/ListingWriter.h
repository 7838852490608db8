#pragma once

#include <cstddef>
#include <memory>

// Standard output gathered into large blocks for a listing of megabytes (show of a project of
// 100,000 items): formatting each line through printf, or growing a string piece by piece, cost
// more than reading the project file.
class CListingWriter {
public:
    CListingWriter();

    // Where to write up to `size` bytes; Commit tells where they end. Earlier lines may be
    // written out first.
    char* Reserve(std::size_t size);
    void Commit(char* end) { used = static_cast<std::size_t>(end - buffer.get()); }
    // Writes out what was committed.
    void Flush();

private:
    std::unique_ptr<char[]> buffer;
    std::size_t capacity;
    std::size_t used = 0;
};
