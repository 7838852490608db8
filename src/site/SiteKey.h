#pragma once

#include <compare>
#include <cstdint>
#include <functional>

// The identity of a folder of the website tree. It names the same folder for as long as the
// project is open, whatever is inserted, moved or deleted around it, and it is never given to
// another folder of that project, not even after the folder was deleted (an undo may bring the
// folder back under the same key). It is neither the folder's `id` nor its place in the tree.
// The value 0 names nothing. Keys of one project mean nothing in another: New and a load start
// a new project.
struct CFolderKey {
    std::uint32_t value = 0;

    explicit operator bool() const { return value != 0; }
    auto operator<=>(const CFolderKey&) const = default;
};

// The identity of an item, with the same guarantees as CFolderKey. An item's `id` is its
// position in its folder and changes as items come and go before it; its key does not.
struct CItemKey {
    std::uint32_t value = 0;

    explicit operator bool() const { return value != 0; }
    auto operator<=>(const CItemKey&) const = default;
};

template <>
struct std::hash<CFolderKey> {
    std::size_t operator()(CFolderKey key) const noexcept { return key.value; }
};

template <>
struct std::hash<CItemKey> {
    std::size_t operator()(CItemKey key) const noexcept { return key.value; }
};
