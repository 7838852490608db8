#pragma once

#include <cstdint>
#include <vector>

#include "SiteKey.h"
#include "SiteText.h"

// An item of a folder: a page or a linked file.
struct CSiteItem {
    CItemKey key;          // identity, given by the tree
    std::int32_t id = -1;  // position in its folder, from 0
    CSiteText caption;
    CSiteText url;  // usually "file://" followed by a local path
    CSiteText description;

    bool operator==(const CSiteItem&) const = default;
};

// The website root or a sub-site, with its items by value. In a tree, itemCount always equals
// items.size() and the items' ids are 0, 1, 2 ... in order; only CSiteTree changes them. A copy
// keeps the id, the texts and every item with its id and key.
struct CSiteFolder {
    std::int32_t id = -1;  // unique among the folders of the open project
    CSiteText caption;
    CSiteText description;
    std::int32_t itemCount = 0;
    std::vector<CSiteItem> items;

    bool operator==(const CSiteFolder&) const = default;
};
