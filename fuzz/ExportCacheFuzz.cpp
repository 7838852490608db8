#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ExportCache.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

// The export folder's record can hold anything anyone who may write into the folder put there.
// The input is its tables, sealed with a true header and checksum so that the reader looks into
// them; whatever it takes from them is stored again as the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view tables(reinterpret_cast<const char*>(data), size);
    const CExportCache cache = CExportCache::Parse(StoredExportCache("fuzz", tables), "fuzz");
    const std::string stored = cache.Bytes("fuzz");
    Require(CExportCache::Parse(stored, "fuzz").Bytes("fuzz") == stored);
    // A record of another project is none.
    Require(CExportCache::Parse(stored, "other").Bytes("fuzz") == CExportCache().Bytes("fuzz"));
    return 0;
}
