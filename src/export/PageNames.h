#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "UniqueNames.h"

// The longest file name the export writes; longer page names are shortened to fit.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// A caption as part of a page base name: "/ \ : * ? \" < > |" and control characters become "_",
// so no caption can name a file outside the export folder.
std::string SafePageNamePart(std::string_view caption);

// The file of page pageIndex (from 0) of a folder: "Index.htm", "Index1.htm", "Index2.htm" ...
std::string PageFileName(std::string_view baseName, std::size_t pageIndex);

// The page base names of one export. Each folder claims the file names of all its pages at once;
// a folder whose names would clash with names already taken (letter case does not count) gets
// the first free base name of base~2, base~3 ..., and a base name too long for its file names is
// shortened on a UTF-8 character boundary first.
class CPageNameTable {
public:
    // Claims the file names of pageCount pages (at least one file is always written) for the
    // owner (the folder's place in the export) and returns the base name they share.
    std::string Claim(std::string_view wantedBase, std::size_t pageCount,
                      std::size_t owner = CUniqueNames::kNoOwner);
    // The base name a claim would have taken without a clash: shortened, never numbered.
    static std::string FittedBase(std::string_view wantedBase, std::size_t pageCount);
    // Who holds a page file name, or CUniqueNames::kNoOwner.
    std::size_t OwnerOf(std::string_view fileName) const { return names.OwnerOf(fileName); }

private:
    CUniqueNames names;
};
