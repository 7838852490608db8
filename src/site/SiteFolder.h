#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An item of a folder: a page or a linked file.
struct CSiteItem {
    std::int32_t id = -1;  // position in its folder, from 0
    std::string caption;
    std::string url;  // usually "file://" followed by a local path
    std::string description;

    bool operator==(const CSiteItem&) const = default;
};

// The website root or a sub-site, with its items. Invariant kept by every operation: itemCount
// equals items.size() and the item ids are 0, 1, 2 ... in list order.
class CSiteFolder {
public:
    std::int32_t id = -1;  // unique among the folders of the open project
    std::string caption;
    std::string description;
    std::int32_t itemCount = 0;
    std::vector<std::unique_ptr<CSiteItem>> items;

    CSiteFolder() = default;
    // A copy keeps the id, the texts and every item with its id.
    CSiteFolder(const CSiteFolder& other);
    CSiteFolder& operator=(const CSiteFolder& other);
    CSiteFolder(CSiteFolder&&) noexcept = default;
    CSiteFolder& operator=(CSiteFolder&&) noexcept = default;
    ~CSiteFolder() = default;

    // Appends the item with the next id.
    CSiteItem& AddItem(std::unique_ptr<CSiteItem> item);
    CSiteItem& AddItem(std::string caption, std::string url = {}, std::string description = {});
    // The item with the given id, or null.
    CSiteItem* FindItem(std::int32_t itemId) const;
    // Removes the item with that id; the items behind it move up one place.
    void RemoveItem(std::int32_t itemId);
    // itemCount = number of items, ids = positions.
    void RenumberItems();
};
