#pragma once

#include <utility>
#include <vector>

#include "SiteKey.h"

class CSiteTree;

// What one row of the site list stands for, by key: a sub-site of the folder the list shows, or
// one of its items.
struct CSiteNodeRef {
    enum Kind { None = 0, Folder = 1, Item = 2 };
    Kind kind = None;
    CFolderKey folder;  // Folder rows
    CItemKey item;      // Item rows

    static CSiteNodeRef Of(CFolderKey folder) { return {Folder, folder, {}}; }
    static CSiteNodeRef Of(CItemKey item) { return {Item, {}, item}; }
    explicit operator bool() const { return kind != None; }
    bool operator==(const CSiteNodeRef&) const = default;
};

// What the user has picked in the window: the folder selected in the tree, whose sub-sites and
// items the list shows; the rows selected in the list, in row order; and the pane the property
// form follows: with the tree it shows the folder, with the list the one selected row (nothing
// when none or several rows are selected).
struct CSiteSelection {
    enum class Pane { Tree, List };

    CFolderKey folder;
    std::vector<CSiteNodeRef> rows;
    Pane pane = Pane::Tree;

    // The folder picked in the tree, with no rows.
    static CSiteSelection OfFolder(CFolderKey folder) { return {folder, {}, Pane::Tree}; }
    // Rows of the folder picked in the list.
    static CSiteSelection OfRows(CFolderKey folder, std::vector<CSiteNodeRef> rows) {
        return {folder, std::move(rows), Pane::List};
    }

    // The record the property form shows; None when it shows nothing.
    CSiteNodeRef Shown() const;
    bool operator==(const CSiteSelection&) const = default;
};

// The rows of a folder's list: its sub-sites in tree order, then its items in folder order (item
// k at row sub-sites + k). Lookups take constant time.
int RowCount(const CSiteTree& tree, CFolderKey folder);
// The record at a row, or None when there is no such row.
CSiteNodeRef RowAt(const CSiteTree& tree, CFolderKey folder, int row);
// The row of a record of the folder's list, or -1 when it is not one of them.
int RowOf(const CSiteTree& tree, CFolderKey folder, CSiteNodeRef record);
