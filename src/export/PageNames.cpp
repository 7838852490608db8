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

bool CPageNameTable::IsFree(std::string_view base, std::size_t fileCount) const {
    const std::string lowerBase = AsciiLower(base);
    for (std::size_t i = 0; i < fileCount; ++i)
        if (takenFiles.contains(PageFileName(lowerBase, i))) return false;
    return true;
}

std::string CPageNameTable::Claim(std::string_view wantedBase, std::size_t pageCount) {
    const std::size_t fileCount = std::max<std::size_t>(pageCount, 1);
    const std::size_t numberBytes = fileCount > 1 ? DecimalDigits(fileCount - 1) : 0;
    const auto fitted = [&](std::string_view suffix) {
        const std::size_t room =
            kMaxFileNameBytes - kPageExtension.size() - numberBytes - suffix.size();
        return std::string(wantedBase.substr(0, Utf8SafePrefixLength(wantedBase, room))) +
               std::string(suffix);
    };

    std::string base = fitted("");
    if (!IsFree(base, fileCount)) {
        // Every folder needs the file of its first page, so a suffix whose first file is taken
        // can never be free again; skipping those keeps many equal captions (or names cut to the
        // same length) from being tried from ~2 each time.
        std::size_t& firstCandidate = nextSuffix.try_emplace(AsciiLower(base), 2).first->second;
        const auto withSuffix = [&](std::size_t k) {
            std::string suffix(1, '~');
            suffix += std::to_string(k);
            return fitted(suffix);
        };
        while (takenFiles.contains(AsciiLower(PageFileName(withSuffix(firstCandidate), 0))))
            ++firstCandidate;
        for (std::size_t k = firstCandidate;; ++k) {
            base = withSuffix(k);
            if (IsFree(base, fileCount)) break;
        }
    }
    const std::string lowerBase = AsciiLower(base);
    for (std::size_t i = 0; i < fileCount; ++i) takenFiles.insert(PageFileName(lowerBase, i));
    return base;
}
