#pragma once

#include <string>
#include <string_view>

#include "SiteKey.h"
#include "SiteTree.h"

// A folder or an item of a website named by its path of captions below the root, as
// pagelorn-cli's commands take it: "Holiday/Beach/IMG_0001.JPG" is the item IMG_0001.JPG of the
// sub-site Beach of the sub-site Holiday; "Holiday/#3" is the third item of Holiday; "" (or "/")
// is the root. A "/" or "#" that belongs to a caption is written "\/" or "\#", a backslash "\\".
struct CSitePathTarget {
    CFolderKey folder;  // the folder, or the folder that holds the item
    CItemKey item;      // set when the path names an item
    std::string error;  // why the path names nothing: no such caption, or more than one

    explicit operator bool() const { return error.empty(); }
};

CSitePathTarget FindSitePath(const CSiteTree& tree, std::string_view path);

// How a folder (or an item of it) is named in messages: "Index > Holiday > Beach" and
// "Index > Holiday, item 3 \"IMG_0001.JPG\"".
std::string DescribeSitePlace(const CSiteTree& tree, CFolderKey folder, CItemKey item = {});
