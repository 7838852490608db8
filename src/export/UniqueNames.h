#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// The file names of one folder of an export, unique without regard to ASCII letter case (the
// website also works on file systems that do not tell case apart). Pages and copies claim their
// names here alike: a candidate is a group of names that must all be free (a folder's pages take
// NAME.htm, NAME1.htm, NAME2.htm ... together; a copy takes one name); when the wanted group is
// not free, the first free one with the suffix "~2", "~3" ... is taken. Clashes of one wanted
// name go on from the last suffix found taken instead of starting again at "~2", so thousands of
// files named IMG_0001.JPG cost no more than thousands of different names.
class CUniqueNames {
public:
    // Name `index` (0 .. count - 1) of the candidate with that suffix ("" first, then "~2" ...).
    using NameFn = std::function<std::string(std::string_view suffix, std::size_t index)>;

    static constexpr std::size_t kNoOwner = static_cast<std::size_t>(-1);

    // Claims `count` names (at least one) for `owner` and returns the suffix they carry.
    std::string Claim(std::size_t owner, std::size_t count, const NameFn& nameOf);

    // Who holds a name (any letter case), or kNoOwner.
    std::size_t OwnerOf(std::string_view name) const;
    bool IsTaken(std::string_view name) const;

private:
    bool IsFree(std::size_t count, const NameFn& nameOf, std::string_view suffix) const;

    std::unordered_map<std::string, std::size_t> owners;      // lower-case name -> owner
    std::unordered_map<std::string, std::size_t> nextSuffix;  // lower-case first name -> next k
};
