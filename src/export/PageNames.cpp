#include "PageNames.h"

#include <algorithm>

#include "LinkedFiles.h"
#include "TextField.h"

namespace {

constexpr std::string_view kPageExtension = ".htm";

std::size_t DecimalDigits(std::size_t value) {
    std::size_t digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

std::string SafePageNamePart(std::string_view caption) {
    std::string result(caption);
    for (char& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return result;
}

std::string PageFileName(std::string_view baseName, std::size_t pageIndex) {
    std::string name(baseName);
    if (pageIndex > 0) name += std::to_string(pageIndex);
    name += kPageExtension;
    return name;
}

namespace {

// Bytes a base name may have so that the file names of pageCount pages, with the suffix, fit.
std::size_t BaseRoom(std::size_t pageCount, std::size_t suffixBytes) {
    const std::size_t fileCount = std::max<std::size_t>(pageCount, 1);
    const std::size_t numberBytes = fileCount > 1 ? DecimalDigits(fileCount - 1) : 0;
    return kMaxFileNameBytes - kPageExtension.size() - numberBytes - suffixBytes;
}

}  // namespace

std::string CPageNameTable::FittedBase(std::string_view wantedBase, std::size_t pageCount) {
    return std::string(
        wantedBase.substr(0, Utf8SafePrefixLength(wantedBase, BaseRoom(pageCount, 0))));
}

std::string CPageNameTable::Claim(std::string_view wantedBase, std::size_t pageCount,
                                  std::size_t owner) {
    const auto fitted = [&](std::string_view suffix) {
        const std::size_t room = BaseRoom(pageCount, suffix.size());
        return std::string(wantedBase.substr(0, Utf8SafePrefixLength(wantedBase, room))) +
               std::string(suffix);
    };
    const std::string suffix = names.Claim(owner, std::max<std::size_t>(pageCount, 1),
                                           [&](std::string_view suffix, std::size_t page) {
                                               return PageFileName(fitted(suffix), page);
                                           });
    return fitted(suffix);
}
