#include "UniqueNames.h"

#include <algorithm>

#include "LinkedFiles.h"

namespace {

std::string Suffix(std::size_t k) {
    std::string suffix(1, '~');
    suffix += std::to_string(k);
    return suffix;
}

}  // namespace

bool CUniqueNames::IsTaken(std::string_view name) const {
    return owners.contains(AsciiLower(name));
}

std::size_t CUniqueNames::OwnerOf(std::string_view name) const {
    const auto found = owners.find(AsciiLower(name));
    return found == owners.end() ? kNoOwner : found->second;
}

bool CUniqueNames::IsFree(std::size_t count, const NameFn& nameOf, std::string_view suffix) const {
    for (std::size_t i = 0; i < count; ++i)
        if (owners.contains(AsciiLower(nameOf(suffix, i)))) return false;
    return true;
}

std::string CUniqueNames::Claim(std::size_t owner, std::size_t count, const NameFn& nameOf) {
    count = std::max<std::size_t>(count, 1);
    // Most files and folders get the name they want: one look, made while it is claimed.
    if (count == 1 && owners.try_emplace(AsciiLower(nameOf("", 0)), owner).second) return {};
    std::string suffix;
    if (!IsFree(count, nameOf, suffix)) {
        // Every candidate needs its first name, so a suffix whose first name is taken can never
        // be free again: the search for this wanted name goes on where the last one ended.
        std::size_t& k = nextSuffix.try_emplace(AsciiLower(nameOf("", 0)), 2).first->second;
        while (owners.contains(AsciiLower(nameOf(Suffix(k), 0)))) ++k;
        for (std::size_t candidate = k;; ++candidate) {
            suffix = Suffix(candidate);
            if (IsFree(count, nameOf, suffix)) break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) owners.emplace(AsciiLower(nameOf(suffix, i)), owner);
    return suffix;
}
