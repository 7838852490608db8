#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SiteTree.h"

// The orders Edit > Sort Items and pagelorn-cli sort put a folder's items in.
enum class CSortOrder {
    Caption,   // by caption
    FileName,  // by the name of the file the item links to (its whole address when it is none)
    DateTaken  // by the date a picture was taken, items without one after them by file name
};

// The date an item's picture was taken, as text that sorts in time order ("2026:07:14
// 09:30:00"); nothing when it has none.
using CDateTakenFn = std::function<std::optional<std::string>(const CSiteItem&)>;

// The name of the file an address names: the last name of a local path ("file://" and both
// separators taken into account), else the whole address.
std::string_view LinkedFileName(std::string_view url);

// Compares texts as people expect names to be ordered: without regard to ASCII case, and runs
// of digits by their value ("IMG_2" before "IMG_10"). Negative, 0 or positive.
int CompareNames(std::string_view a, std::string_view b);

// The folder's items in that order; items that compare equal keep their order.
std::vector<CItemKey> SortedItems(const CSiteFolder& folder, CSortOrder order,
                                  const CDateTakenFn& dateTaken = {});

// Moves the folder's items into the given order (every item of the folder once), with the tree's
// own moves, so that one record takes the whole sort back. NotARow when the keys are not the
// folder's items.
CSiteStatus ReorderItems(CSiteTree& tree, CFolderKey folder, const std::vector<CItemKey>& order);
