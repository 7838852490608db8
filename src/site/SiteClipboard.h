#pragma once

#include <vector>

#include "SiteKey.h"

// The cut/copy state, by identity: one folder cut or copied in the tree (folderNode), or rows of
// a folder's list (sub-sites and items, in row order). It stays valid through every edit that
// leaves what it names in the tree. Records of it that are deleted are forgotten; once nothing
// is left, the state is empty.
struct CSiteClipboard {
    bool cut = false;
    bool holdsRows = false;
    CFolderKey folderNode;
    std::vector<CFolderKey> folderKeys;
    std::vector<CItemKey> itemKeys;

    void Clear() { *this = CSiteClipboard{}; }
    bool IsEmpty() const { return !folderNode && !holdsRows; }
};
